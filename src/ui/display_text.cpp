#include "ui/display_text.h"

namespace ui {

namespace {
// A title bar shows some 50 characters; a 100 x 20 slot box its first line of about 16.
constexpr DisplayLimit kCaption{256, 1, true};
constexpr DisplayLimit kPreviewBox{256, 4, false};
// A tooltip keeps at most 1023 characters of its text: the cut mark must fit within them.
constexpr DisplayLimit kHint{1000, 16, false};
// Labels and buttons hold the program's own words or a short sequence value.
constexpr DisplayLimit kOther{4096, 0, false};

bool isTextBox(Control::Kind k) {
  return k == Control::Kind::Memo || k == Control::Kind::Edit;
}
}  // namespace

DisplayLimit displayLimit(const Control& c, Property what) {
  if (what == Property::Hint) return kHint;
  if (c.kind() == Control::Kind::Form) return kCaption;
  if (isTextBox(c.kind()) && what == Property::Text)
    return static_cast<const TextBox&>(c).readOnly() ? kPreviewBox : DisplayLimit{};
  if (c.kind() == Control::Kind::ComboBox) return {};
  return kOther;
}

Shown shownText(const Control& c, Property what, const LeadBytes& leadBytes,
                std::string_view cutMarkBytes) {
  const DisplayLimit limit = displayLimit(c, what);
  if (what == Property::Text && c.kind() == Control::Kind::ComboBox)
    return {displayText(static_cast<const ComboBox&>(c).text(), limit, leadBytes, cutMarkBytes)};
  const text::Text& t = what == Property::Hint ? c.hint()
                        : what == Property::Text && isTextBox(c.kind())
                            ? static_cast<const TextBox&>(c).text()
                            : c.caption();
  if (t.hasExact()) return {displayText(t.exact(), limit, leadBytes, "\xE2\x80\xA6", true), true};
  return {displayText(t.bytes(), limit, leadBytes, cutMarkBytes)};
}

namespace {
// Bytes of the character that starts at text[i].
std::size_t charLength(std::string_view text, std::size_t i, const LeadBytes& leadBytes,
                       bool utf8) {
  const auto b = static_cast<unsigned char>(text[i]);
  std::size_t len = 1;
  if (!utf8) {
    len = leadBytes[b] ? 2 : 1;
  } else if (b >= 0xC0) {
    len = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : 2;
    // A sequence broken off is taken one byte at a time.
    for (std::size_t k = 1; k < len; ++k)
      if (i + k >= text.size() || (static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
        return 1;
  }
  return i + len <= text.size() ? len : 1;
}
}  // namespace

std::string displayText(std::string_view text, const DisplayLimit& limit,
                        const LeadBytes& leadBytes, std::string_view cutMark, bool utf8) {
  if (limit.maxBytes == 0 && limit.maxLines == 0 && !limit.oneLine) return std::string(text);
  const std::size_t maxBytes = limit.maxBytes ? limit.maxBytes : text.size();
  std::string out;
  out.reserve(std::min(text.size(), maxBytes) + cutMark.size());
  int lines = 1;
  std::size_t i = 0;
  bool cut = false;
  while (i < text.size()) {
    const char ch = text[i];
    if (ch == '\r' || ch == '\n') {
      const std::size_t breakLen = ch == '\r' && i + 1 < text.size() && text[i + 1] == '\n' ? 2 : 1;
      if (limit.maxLines && lines >= limit.maxLines && !limit.oneLine) {
        cut = true;
        break;
      }
      const std::string_view shown =
          limit.oneLine ? std::string_view(" ") : text.substr(i, breakLen);
      if (out.size() + shown.size() > maxBytes) {
        cut = true;
        break;
      }
      out.append(shown);
      ++lines;
      i += breakLen;
      continue;
    }
    const std::size_t len = charLength(text, i, leadBytes, utf8);
    if (out.size() + len > maxBytes) {
      cut = true;
      break;
    }
    out.append(text.substr(i, len));
    i += len;
  }
  if (cut) out.append(cutMark);
  return out;
}

}  // namespace ui
