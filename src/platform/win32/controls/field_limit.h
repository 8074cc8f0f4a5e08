// What may be typed or pasted into a field whose text goes to a file of code page 932 bytes: no
// character the code page does not have, and (one-line fields) no more than a maximum number
// of bytes. The native limit counts UTF-16 characters, so a double-byte character would count
// as one.
#pragma once

#include "platform/win32/win32_util.h"

#include <optional>

namespace win32 {

struct FieldRule {
  int maxBytes = 0;  // 0: no limit
  bool codePageOnly = false;
  bool multiLine = false;  // a paste keeps its line breaks
  bool active() const { return maxBytes > 0 || codePageOnly; }
};

// Typing and pasting into the field kept within the rule: a result when the message was
// handled here, none to pass it on.
std::optional<LRESULT> limitFieldInput(HWND field, UINT msg, WPARAM wParam, const FieldRule& rule);

}  // namespace win32
