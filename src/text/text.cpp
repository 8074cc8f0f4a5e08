#include "text/text.h"

namespace text {

namespace {
// ASCII is the same in code page 932 and in UTF-8: no conversion needed either way.
bool isAscii(std::string_view s) {
  unsigned char any = 0;
  for (char c : s)
    any |= static_cast<unsigned char>(c);
  return any < 0x80;
}
}  // namespace

const std::string& Text::none() {
  static const std::string empty;
  return empty;
}

Text Text::fromBytes(std::string bytes) {
  Text t;
  if (!bytes.empty()) t.bytes_ = std::make_shared<const std::string>(std::move(bytes));
  return t;
}

bool operator==(const Text& a, const Text& b) {
  if (a.sameAs(b)) return true;
  return a.bytes() == b.bytes() && a.hasExact() == b.hasExact() && a.exact() == b.exact();
}

Text TextCodec::make(std::string bytes, std::string utf8) const {
  Text t = Text::fromBytes(std::move(bytes));
  if (!t.empty()) t.exact_ = std::make_shared<const std::string>(std::move(utf8));
  return t;
}

Text TextCodec::fromUtf8(std::string_view utf8) const {
  if (isAscii(utf8)) return Text::fromBytes(std::string(utf8));
  std::string bytes = encode(utf8);
  if (decode(bytes) == utf8) return Text::fromBytes(std::move(bytes));
  return make(std::move(bytes), std::string(utf8));
}

Text TextCodec::fromBytesAndUnicode(std::string bytes, std::string_view utf8) const {
  // A Unicode text the bytes were not made from (one the system derived through the wrong code
  // page, say) would put another text beside them: the bytes are what the program gave.
  if ((isAscii(bytes) && bytes == utf8) || decode(bytes) == utf8 || encode(utf8) != bytes)
    return Text::fromBytes(std::move(bytes));
  return make(std::move(bytes), std::string(utf8));
}

std::string TextCodec::unicodeOf(const Text& t) const {
  if (t.hasExact()) return t.exact();
  return isAscii(t.bytes()) ? t.bytes() : decode(t.bytes());
}

Text TextCodec::join(std::initializer_list<const Text*> parts) const {
  std::string bytes;
  bool exact = false;
  for (const Text* p : parts) {
    bytes += p->bytes();
    exact = exact || p->hasExact();
  }
  if (!exact) return Text::fromBytes(std::move(bytes));
  std::string utf8;
  for (const Text* p : parts)
    utf8 += unicodeOf(*p);
  return make(std::move(bytes), std::move(utf8));
}

}  // namespace text
