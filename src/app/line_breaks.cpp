#include "app/line_breaks.h"

#include <cstdint>
#include <cstring>

namespace app {

namespace {

constexpr std::uint64_t kOnes = 0x0101010101010101ull;
constexpr std::uint64_t kHighs = 0x8080808080808080ull;

// Bytes of w that are zero, CR or LF, as their high bits. Above the lowest such byte the mask
// may be wrong (borrows), so only its lowest bit is used.
std::uint64_t specialBytes(std::uint64_t w) {
  auto zeroBytes = [](std::uint64_t v) { return (v - kOnes) & ~v & kHighs; };
  return zeroBytes(w) | zeroBytes(w ^ (kOnes * '\r')) | zeroBytes(w ^ (kOnes * '\n'));
}

// True when the text needs no change: no lone CR or LF, and no CR or LF right after a byte that
// could be a lead byte. Most files are like this, and then loading is a scan, not a copy.
bool alreadyNormal(const std::string& s, const LeadByteTable& lead) {
  const std::size_t n = s.size();
  const char* p = s.data();
  std::size_t i = 0;
  while (i < n) {
    if (i + 8 <= n) {
      std::uint64_t w;
      std::memcpy(&w, p + i, 8);
      if (const std::uint64_t m = specialBytes(w); m == 0) {
        i += 8;
        continue;
      } else {
        i += static_cast<std::size_t>(__builtin_ctzll(m)) / 8;
      }
    }
    const char c = p[i];
    if (c == '\r') {
      if (i + 1 >= n || p[i + 1] != '\n') return false;
      if (i > 0 && lead[static_cast<unsigned char>(p[i - 1])]) return false;
      i += 2;
      continue;
    }
    if (c == '\n' || c == '\0') return false;
    ++i;
  }
  return true;
}

}  // namespace

std::string normalizeLineBreaks(std::string bytes, const LeadByteTable& lead) {
  if (std::size_t nul = bytes.find('\0'); nul != std::string::npos) bytes.resize(nul);
  if (alreadyNormal(bytes, lead)) return bytes;

  std::string out;
  out.reserve(bytes.size() + bytes.size() / 16);
  const std::size_t n = bytes.size();
  const char* p = bytes.data();
  std::size_t runStart = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const char c = p[i];
    if (c == '\r' || c == '\n') {
      out.append(p + runStart, i - runStart);
      out += "\r\n";
      if (c == '\r' && i + 1 < n && p[i + 1] == '\n') ++i;
      runStart = i + 1;
    } else if (lead[static_cast<unsigned char>(c)] && i + 1 < n) {
      ++i;  // the second byte belongs to this character, whatever it is
    }
  }
  out.append(p + runStart, n - runStart);
  return out;
}

}  // namespace app
