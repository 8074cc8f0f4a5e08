#include "platform/platform.h"

namespace platform {

ui::Text clipboardText(const ClipboardFormats& f, const ui::TextCodec& codec) {
  if (f.ansi && (f.ansiFirst || !f.unicode) && f.ansiIsCp932) {
    if (!f.unicode) return ui::Text::fromBytes(*f.ansi);
    return codec.fromBytesAndUnicode(*f.ansi, *f.unicode);
  }
  // A Unicode text, or bytes of another code page, which the system has put into Unicode
  // through that page.
  if (f.unicode) return codec.fromUnicode(*f.unicode);
  if (f.ansi) return ui::Text::fromBytes(*f.ansi);
  return {};
}

}  // namespace platform
