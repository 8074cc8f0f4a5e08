// What a native control is given to show for a model text. The model keeps and compares the
// exact bytes of every text, which may run to megabytes; a slot box, the caption or a tooltip
// can show only a little of it, and pushing megabytes through a native control costs seconds.
// Both backends call this, so the simulated desktop sees what the real controls receive.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "ui/widgets.h"

namespace ui {

// leadBytes[b]: b is the first byte of a double-byte character of the system code page.
using LeadBytes = std::array<bool, 256>;

struct DisplayLimit {
  std::size_t maxBytes = 0;  // 0: the text is passed on whole
  int maxLines = 0;          // 0: no line limit
  bool oneLine = false;      // line breaks shown as a space
};

// The limit for one property of a control: a form's caption is one line, a read-only text box
// and a hint show a preview, an editable box gets its whole text (the user edits it).
DisplayLimit displayLimit(const Control& c, Property what);

// At most limit.maxBytes bytes and limit.maxLines lines of text, never cutting a character in
// half (a double-byte character of the code page, or a UTF-8 sequence when utf8 is set),
// followed by cutMark when something was left out. Looks at no more of the text than it returns.
std::string displayText(std::string_view text, const DisplayLimit& limit,
                        const LeadBytes& leadBytes, std::string_view cutMark, bool utf8 = false);

// What a native control is given for a property: the exact text as UTF-8 when the model text
// has one (utf8 set), else its code page bytes; bounded by displayLimit.
struct Shown {
  std::string chars;
  bool utf8 = false;
};
Shown shownText(const Control& c, Property what, const LeadBytes& leadBytes,
                std::string_view cutMarkBytes);

}  // namespace ui
