#include "platform/platform.h"

namespace platform {

text::Text clipboardText(const ClipboardFormats& f, const text::TextCodec& codec) {
  if (f.ansi && (f.ansiFirst || !f.unicode) && f.ansiIsCp932) {
    if (!f.unicode) return text::Text::fromBytes(*f.ansi);
    return codec.fromBytesAndUnicode(*f.ansi, *f.unicode);
  }
  // A Unicode text, or bytes of another code page, which the system has put into Unicode
  // through that page.
  if (f.unicode) return codec.fromUtf8(*f.unicode);
  if (f.ansi) return text::Text::fromBytes(*f.ansi);
  return {};
}

}  // namespace platform
