#include "files/slot_files.h"

#include "files/line_breaks.h"

namespace files {

namespace {
LeadByteTable leadBytes(const platform::Platform& p) {
  LeadByteTable lead{};
  for (int b = 0; b < 256; ++b)
    lead[static_cast<std::size_t>(b)] = p.isLeadByte(static_cast<unsigned char>(b));
  return lead;
}
}  // namespace

std::string slotFileName(int slot) {
  return "Kolvex" + std::to_string(slot) + ".txt";
}

std::string normalizeLoadedText(std::string bytes, const platform::Platform& p) {
  return normalizeLineBreaks(std::move(bytes), leadBytes(p));
}

bool loadBox(platform::Platform& p, std::string_view fileName, ui::TextBox& box) {
  std::optional<std::string> bytes = p.readFile(fileName);
  if (!bytes) return false;
  box.setText(text::Text::fromBytes(normalizeLineBreaks(std::move(*bytes), leadBytes(p))));
  return true;
}

void saveBox(platform::Platform& p, std::string_view fileName, const ui::TextBox& box) {
  p.writeFile(fileName, box.text().bytes());
}

void discardUnfinishedSaves(platform::Platform& p) {
  for (int i = 1; i <= kSlotCount; ++i)
    p.discardUnfinishedWrite(slotFileName(i));
}

}  // namespace files
