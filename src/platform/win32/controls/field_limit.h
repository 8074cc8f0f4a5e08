// A one-line field's maximum length in bytes of the system code page. The native limit counts
// UTF-16 characters, so a double-byte character would count as one.
#pragma once

#include "platform/win32/win32_util.h"

#include <optional>

namespace win32 {

// Typing and pasting into the field kept within limit bytes (0: no limit): a result when the
// message was handled here, none to pass it on.
std::optional<LRESULT> limitFieldBytes(HWND field, UINT msg, WPARAM wParam, int limit);

}  // namespace win32
