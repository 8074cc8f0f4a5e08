#include "files/companion.h"

#include <charconv>
#include <cstdio>

namespace files {

namespace {
constexpr std::string_view kHeader = "Kolvex20 exact ";
constexpr std::string_view kExtension = ".utf8";
constexpr std::size_t kHashDigits = 16;

std::string hex(std::uint64_t v) {
  char digits[kHashDigits + 1];
  std::snprintf(digits, sizeof digits, "%016llx", static_cast<unsigned long long>(v));
  return digits;
}

std::optional<std::uint64_t> readHex(std::string_view s) {
  if (s.size() != kHashDigits) return std::nullopt;
  std::uint64_t v = 0;
  for (char c : s) {
    int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
    if (d < 0) return std::nullopt;
    v = v << 4 | static_cast<std::uint64_t>(d);
  }
  return v;
}
}  // namespace

std::uint64_t bytesHash(std::string_view bytes) {
  std::uint64_t h = 0xcbf29ce484222325ull;
  for (unsigned char b : bytes) {
    h ^= b;
    h *= 0x100000001b3ull;
  }
  return h;
}

std::string companionPrefix(int slot) {
  return "Kolvex" + std::to_string(slot) + ".";
}

std::string companionName(int slot, std::uint64_t hash) {
  return companionPrefix(slot) + hex(hash) + std::string(kExtension);
}

std::optional<std::uint64_t> companionHash(int slot, std::string_view name) {
  const std::string prefix = companionPrefix(slot);
  if (!name.starts_with(prefix) || !name.ends_with(kExtension)) return std::nullopt;
  name.remove_prefix(prefix.size());
  name.remove_suffix(kExtension.size());
  return readHex(name);
}

std::string companionContent(std::string_view bytes, std::string_view exactUtf8) {
  std::string content(kHeader);
  content += std::to_string(bytes.size());
  content += ' ';
  content += hex(bytesHash(bytes));
  content += "\r\n";
  content += exactUtf8;
  return content;
}

std::optional<std::string> companionExact(std::string_view content, std::string_view bytes) {
  if (!content.starts_with(kHeader)) return std::nullopt;
  content.remove_prefix(kHeader.size());
  const std::size_t lineEnd = content.find("\r\n");
  if (lineEnd == std::string_view::npos) return std::nullopt;
  const std::string_view line = content.substr(0, lineEnd);
  const std::size_t space = line.find(' ');
  if (space == std::string_view::npos) return std::nullopt;
  std::size_t length = 0;
  const auto [end, error] = std::from_chars(line.data(), line.data() + space, length);
  if (error != std::errc() || end != line.data() + space || length != bytes.size())
    return std::nullopt;
  if (readHex(line.substr(space + 1)) != bytesHash(bytes)) return std::nullopt;
  std::string exact(content.substr(lineEnd + 2));
  if (exact.empty()) return std::nullopt;
  return exact;
}

}  // namespace files
