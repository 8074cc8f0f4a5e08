// Loading a slot file: the fast path must give exactly what the plain byte-by-byte rule gives,
// never read past the end, and be stable when loaded again. The same bytes as the exact form
// beside a slot file: read back only for the bytes it was written for, whatever it holds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "files/companion.h"
#include "files/line_breaks.h"

namespace {

files::LeadByteTable cp932Leads() {
  files::LeadByteTable t{};
  for (int b = 0; b < 256; ++b)
    t[static_cast<std::size_t>(b)] = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
  return t;
}

std::string reference(const std::string& in, const files::LeadByteTable& lead) {
  std::string bytes = in.substr(0, in.find('\0'));
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (c == '\r') {
      out += "\r\n";
      if (i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    } else if (c == '\n') {
      out += "\r\n";
    } else if (lead[static_cast<unsigned char>(c)] && i + 1 < bytes.size()) {
      out += c;
      out += bytes[++i];
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const files::LeadByteTable lead = cp932Leads();
  const std::string in(reinterpret_cast<const char*>(data), size);
  const std::string out = files::normalizeLineBreaks(in, lead);
  if (out != reference(in, lead)) std::abort();
  if (files::normalizeLineBreaks(out, lead) != out) std::abort();
  // A damaged or foreign companion never gives an exact text; a whole one gives its own.
  if (const auto exact = files::companionExact(in, out);
      exact && *exact != in.substr(in.find("\r\n") + 2))
    std::abort();
  const std::string written = files::companionContent(out, in);
  if (!in.empty() && files::companionExact(written, out) != in) std::abort();
  if (!in.empty() && files::companionExact(written, out + "x")) std::abort();
  return 0;
}
