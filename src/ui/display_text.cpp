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

const std::string& propertyText(const Control& c, Property what) {
  if (what == Property::Hint) return c.hint();
  if (what == Property::Text && isTextBox(c.kind())) return static_cast<const TextBox&>(c).text();
  if (what == Property::Text && c.kind() == Control::Kind::ComboBox)
    return static_cast<const ComboBox&>(c).text();
  return c.caption();
}

std::string displayText(std::string_view text, const DisplayLimit& limit,
                        const LeadBytes& leadBytes, std::string_view cutMark) {
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
    const bool lead = leadBytes[static_cast<unsigned char>(ch)] && i + 1 < text.size();
    const std::size_t len = lead ? 2 : 1;
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
