#include "app/slot_files.h"

namespace app {

std::string slotFileName(int slot) {
  return "Kolvex" + std::to_string(slot) + ".txt";
}

std::string normalizeLoadedText(std::string_view bytes, const platform::Platform& p) {
  bytes = bytes.substr(0, bytes.find('\0'));
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 16);
  const std::size_t n = bytes.size();
  for (std::size_t i = 0; i < n; ++i) {
    const char c = bytes[i];
    if (c == '\r') {
      out += "\r\n";
      if (i + 1 < n && bytes[i + 1] == '\n') ++i;
    } else if (c == '\n') {
      out += "\r\n";
    } else if (p.isLeadByte(static_cast<unsigned char>(c)) && i + 1 < n) {
      out += c;
      out += bytes[++i];
    } else {
      out += c;
    }
  }
  return out;
}

bool loadBox(platform::Platform& p, std::string_view fileName, ui::TextBox& box) {
  std::optional<std::string> bytes = p.readFile(fileName);
  if (!bytes) return false;
  box.setText(normalizeLoadedText(*bytes, p));
  return true;
}

void saveBox(platform::Platform& p, std::string_view fileName, const ui::TextBox& box) {
  p.writeFile(fileName, box.text());
}

}  // namespace app
