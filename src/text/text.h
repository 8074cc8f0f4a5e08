// A text as the program keeps it. Its bytes in code page 932 are what the files hold and what
// byte lengths, limits and the byte-exact rules use; when those bytes cannot say the text
// (é, emoji, 〜 as U+301C, —), the exact text travels with them as UTF-8. Two texts are equal
// when both parts are: "café" and "cafe" have the same bytes but are two texts.
//
// Copies share their characters, so a large text moved from slot to slot is not copied, and
// whether a file still holds a slot's text can be told by identity (sameAs).
#pragma once

#include <cstddef>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>

namespace text {

class Text {
 public:
  Text() = default;

  // A text its bytes say whole.
  static Text fromBytes(std::string bytes);

  const std::string& bytes() const { return bytes_ ? *bytes_ : none(); }
  // The exact text (UTF-8) when the bytes cannot say it; empty otherwise.
  bool hasExact() const { return exact_ != nullptr; }
  const std::string& exact() const { return exact_ ? *exact_ : none(); }

  bool empty() const { return bytes().empty(); }
  // Length in bytes of the code page: the measure of every limit.
  std::size_t size() const { return bytes().size(); }

  // The very same characters (a copy of this text, or of a copy of it).
  bool sameAs(const Text& other) const { return bytes_ == other.bytes_ && exact_ == other.exact_; }
  friend bool operator==(const Text& a, const Text& b);

 private:
  friend class TextCodec;
  static const std::string& none();

  std::shared_ptr<const std::string> bytes_;  // null: empty
  std::shared_ptr<const std::string> exact_;  // null: the bytes say it all
};

// Conversion between code page 932 and Unicode (UTF-8). The platform provides it: Windows'
// own tables on Windows, iconv on the simulated desktop.
class TextCodec {
 public:
  virtual ~TextCodec() = default;

  // The characters the bytes stand for.
  virtual std::string decode(std::string_view bytes) const = 0;
  // Bytes for a text; a character without a code becomes the nearest one or "?".
  virtual std::string encode(std::string_view utf8) const = 0;

  // A Unicode text: its bytes, and itself as the exact form when the bytes lose something.
  Text fromUtf8(std::string_view utf8) const;
  // Bytes another program gave, with the Unicode text it gave beside them: the Unicode text is
  // kept only when it says more than the bytes and is the text the bytes were made from.
  Text fromBytesAndUnicode(std::string bytes, std::string_view utf8) const;
  // The Unicode text of t: its exact form, or its bytes decoded.
  std::string unicodeOf(const Text& t) const;
  // The texts one after the other.
  Text join(std::initializer_list<const Text*> parts) const;

 private:
  Text make(std::string bytes, std::string utf8) const;
};

}  // namespace text
