// Texts in tests: a text given as plain bytes means a text without an exact form.
#pragma once

#include <ostream>
#include <string>
#include <string_view>

#include "text/text.h"

namespace text {

inline bool operator==(const Text& t, std::string_view bytes) {
  return !t.hasExact() && t.bytes() == bytes;
}

inline void PrintTo(const Text& t, std::ostream* os) {
  *os << '"' << t.bytes() << '"';
  if (t.hasExact()) *os << " (exact \"" << t.exact() << "\")";
}

}  // namespace text

namespace testing_support {

inline text::Text bytes(std::string b) {
  return text::Text::fromBytes(std::move(b));
}

}  // namespace testing_support
