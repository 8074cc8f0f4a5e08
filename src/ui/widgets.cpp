#include "ui/widgets.h"

#include <algorithm>

namespace ui {

Form* Control::form() {
  Control* c = this;
  while (c->parent_)
    c = c->parent_;
  return c->kind_ == Kind::Form ? static_cast<Form*>(c) : nullptr;
}

void Control::setText(text::Text& field, const text::Text& v, Property what) {
  if (field == v) return;
  field = v;
  notify(what);
}

bool Control::showing() const {
  for (const Control* c = this; c; c = c->parent_)
    if (!c->visible_) return false;
  return true;
}

void RadioButton::setChecked(bool c) {
  if (checked_ == c) return;
  checked_ = c;
  notify(Property::Checked);
  if (c && parent()) {
    for (Control* sibling : parent()->children()) {
      if (sibling != this && sibling->kind() == Kind::RadioButton) {
        auto* rb = static_cast<RadioButton*>(sibling);
        if (rb->checked_) {
          rb->checked_ = false;
          rb->notify(Property::Checked);
        }
      }
    }
  }
  if (c && onClick) onClick();
}

void ComboBox::setItemIndex(int i) {
  if (i < -1 || i >= static_cast<int>(items_.size())) i = -1;
  itemIndex_ = i;
  text_ = i >= 0 ? items_[static_cast<std::size_t>(i)] : std::string();
  notify(Property::ItemIndex);
}

void Form::setOuterHeight(int h) {
  setBounds({left(), top(), width(), std::max(0, h)});
}

int Form::clientHeight() const {
  return std::max(0, outerHeight() - frameHeight_);
}

void Form::setClientHeight(int h) {
  setOuterHeight(outerHeight() - clientHeight() + h);
}

void Form::setActiveFromBackend(bool a) {
  if (active_ == a) return;
  active_ = a;
  if (a && onActivate) onActivate();
  if (!a && onDeactivate) onDeactivate();
}

void Form::setFocus(Control* c) {
  if (focused_ == c) return;
  Control* old = focused_;
  focused_ = c;
  if (c) notify(Property::Focus);
  if (old && old->onExit) old->onExit();
  // The exit handler may have moved the focus again; the newer move wins.
  if (focused_ == c && c && c->onEnter) c->onEnter();
}

bool Form::close() {
  if (onCloseQuery && !onCloseQuery()) return false;
  // Leaving the focused control first lets its exit handler store what it holds.
  setFocus(nullptr);
  if (onClose) onClose();
  hide();
  return true;
}

static void collect(const Control& c, std::vector<Control*>& out) {
  for (Control* child : c.children()) {
    out.push_back(child);
    collect(*child, out);
  }
}

std::vector<Control*> Form::allControls() const {
  std::vector<Control*> out;
  collect(*this, out);
  return out;
}

namespace {
// Start of line n, or npos when the text has fewer lines.
std::size_t lineStart(std::string_view text, int n) {
  std::size_t pos = 0;
  for (int k = 0; k < n; ++k) {
    std::size_t br = text.find("\r\n", pos);
    if (br == std::string_view::npos) return std::string_view::npos;
    pos = br + 2;
  }
  return pos;
}
}  // namespace

std::string textLine(std::string_view text, int n) {
  if (n < 0) return {};
  std::size_t start = lineStart(text, n);
  if (start == std::string_view::npos) return {};
  std::size_t end = text.find("\r\n", start);
  return std::string(text.substr(start, end == std::string_view::npos ? text.npos : end - start));
}

int textLineCount(std::string_view text) {
  if (text.empty()) return 0;
  int count = 1;
  for (std::size_t pos = text.find("\r\n"); pos != text.npos; pos = text.find("\r\n", pos + 2))
    ++count;
  // A text that ends in a line break has no further line after it.
  if (text.size() >= 2 && text.substr(text.size() - 2) == "\r\n") --count;
  return count;
}

std::string replaceTextLine(std::string_view text, int n, std::string_view line) {
  if (n < 0) return std::string(text);
  std::size_t start = lineStart(text, n);
  if (start == std::string_view::npos) return std::string(text);
  std::size_t end = text.find("\r\n", start);
  if (end == std::string_view::npos) end = text.size();
  std::string out(text.substr(0, start));
  out.append(line);
  out.append(text.substr(end));
  return out;
}

}  // namespace ui
