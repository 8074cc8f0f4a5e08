// Widget model: the program's state lives in small control objects (text boxes hold slot texts,
// check boxes hold keep marks), and the handlers react to their events. A backend mirrors the
// model onto real controls through ControlPeer and feeds user actions back in through the
// methods marked "from the backend".
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "text/text.h"

namespace ui {

// Windows colour values (0x00BBGGRR); values with the high byte FF name system colours.
using Color = std::uint32_t;
inline constexpr Color kClWindow = 0xFF000005u;
inline constexpr Color kClInfoBk = 0xFF000018u;
inline constexpr Color kClWindowText = 0xFF000008u;
inline constexpr Color kClSkyBlue = 0x00F0CAA6u;  // 15780518

enum class MouseButton { Left, Right, Middle };

enum class Property {
  Text,
  Caption,
  Visible,
  Enabled,
  Checked,
  Color,
  Hint,
  Bounds,
  Items,
  ItemIndex,
  Caret,
  Topmost,
  Transparent,
  Focus,
  TimerState,
  WindowState,
};

class Control;

// Implemented by a backend for every control it renders.
class ControlPeer {
 public:
  virtual ~ControlPeer() = default;
  virtual void changed(Control& control, Property what) = 0;
};

struct Bounds {
  int left = 0, top = 0, width = 0, height = 0;
};

// Edges of its parent a control keeps its distance to when the parent is shown larger than its
// model size (a sizeable window the user enlarges or maximizes): anchored to left and right it
// grows with the parent, to the right only it moves along.
enum Anchor : unsigned {
  kAnchorLeft = 1,
  kAnchorTop = 2,
  kAnchorRight = 4,
  kAnchorBottom = 8,
};
inline constexpr unsigned kAnchorsDefault = kAnchorLeft | kAnchorTop;
inline constexpr unsigned kAnchorsAll = kAnchorLeft | kAnchorTop | kAnchorRight | kAnchorBottom;

class Form;

class Control {
 public:
  enum class Kind {
    Form,
    Memo,
    Edit,
    CheckBox,
    Button,
    SpeedButton,
    ComboBox,
    RadioButton,
    Label,
    Panel,
    Timer,
    PopupMenu,
    MenuItem,
  };

  Control(Kind kind, std::string name) : kind_(kind), name_(std::move(name)) {}
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;
  virtual ~Control() = default;

  Kind kind() const { return kind_; }
  const std::string& name() const { return name_; }

  Control* parent() const { return parent_; }
  const std::vector<Control*>& children() const { return children_; }
  void addChild(Control& child) {
    child.parent_ = this;
    children_.push_back(&child);
  }
  Form* form();

  const text::Text& caption() const { return caption_; }
  void setCaption(const text::Text& c) { setText(caption_, c, Property::Caption); }

  bool visible() const { return visible_; }
  void setVisible(bool v) { setFlag(visible_, v, Property::Visible); }
  void show() { setVisible(true); }
  void hide() { setVisible(false); }
  // Visible itself and every parent visible.
  bool showing() const;

  bool enabled() const { return enabled_; }
  void setEnabled(bool e) { setFlag(enabled_, e, Property::Enabled); }

  Color color() const { return color_; }
  void setColor(Color c) {
    if (color_ == c) return;
    color_ = c;
    notify(Property::Color);
  }

  const text::Text& hint() const { return hint_; }
  void setHint(const text::Text& h) { setText(hint_, h, Property::Hint); }
  bool showHint() const { return showHint_; }
  void setShowHint(bool s) { setFlag(showHint_, s, Property::Hint); }

  const Bounds& bounds() const { return bounds_; }
  void setBounds(Bounds b) {
    bounds_ = b;
    notify(Property::Bounds);
  }
  int left() const { return bounds_.left; }
  int top() const { return bounds_.top; }
  int width() const { return bounds_.width; }
  int height() const { return bounds_.height; }

  bool tabStop() const { return tabStop_; }
  void setTabStop(bool t) { tabStop_ = t; }
  bool handCursor() const { return handCursor_; }
  void setHandCursor(bool h) { handCursor_ = h; }
  // The input method is switched off while the control has the focus (fields that take only
  // ASCII), and a maximum length then counts bytes of the system code page.
  bool imeOff = false;
  // Panels and forms: the backend sizes them to hold their children (labels always fit their
  // text), keeping the children's margin from the top-left corner on the other sides too.
  bool autoSize = false;
  unsigned anchors = kAnchorsDefault;

  ControlPeer* peer() const { return peer_; }
  void setPeer(ControlPeer* p) { peer_ = p; }

  // Can the user act on it: shown and enabled (and the form enabled).
  bool usable() const { return showing() && enabled_; }

  // Events common to controls.
  std::function<void()> onClick;
  std::function<void()> onEnter;
  std::function<void()> onExit;
  std::function<void(MouseButton)> onMouseDown;
  std::function<void(MouseButton)> onMouseUp;
  std::function<void()> onMouseEnter;
  // Key handlers take the virtual-key code; key press takes the character and may clear it to
  // drop the key.
  std::function<void(int vk)> onKeyDown;
  std::function<void(int vk)> onKeyUp;
  std::function<void(char& ch)> onKeyPress;

  // From the backend: the user clicked / pressed / entered with the mouse.
  virtual void userClick() {
    if (onClick) onClick();
  }
  void userMouseDown(MouseButton b) {
    if (onMouseDown) onMouseDown(b);
  }
  void userMouseUp(MouseButton b) {
    if (onMouseUp) onMouseUp(b);
  }
  void userMouseEnter() {
    if (onMouseEnter) onMouseEnter();
  }

 protected:
  void notify(Property what) {
    if (peer_) peer_->changed(*this, what);
  }
  void setText(text::Text& field, const text::Text& v, Property what);
  void setFlag(bool& field, bool v, Property what) {
    if (field == v) return;
    field = v;
    notify(what);
  }

 private:
  Kind kind_;
  std::string name_;
  Control* parent_ = nullptr;
  std::vector<Control*> children_;
  text::Text caption_;
  text::Text hint_;
  bool visible_ = true;
  bool enabled_ = true;
  bool showHint_ = false;
  bool tabStop_ = true;
  bool handCursor_ = false;
  Color color_ = kClWindow;
  Bounds bounds_;
  ControlPeer* peer_ = nullptr;
};

// Memo (multi-line) and Edit (one line) text boxes.
class TextBox : public Control {
 public:
  TextBox(Kind kind, std::string name) : Control(kind, std::move(name)) {}

  const text::Text& text() const { return text_; }
  void setText(text::Text t) {
    text_ = std::move(t);  // always notify: a backend may have edited its copy
    selStart_ = selLength_ = 0;
    notify(Property::Text);
  }
  void clear() { setText(text::Text()); }
  bool empty() const { return text_.empty(); }

  // Caret at the start and scrolled into view, so a short box shows the first line.
  void caretToStart() {
    selStart_ = 0;
    selLength_ = 0;
    notify(Property::Caret);
  }
  // The whole text selected, the caret at its end.
  void selectAll() {
    selStart_ = 0;
    selLength_ = static_cast<int>(text_.size());
    notify(Property::Caret);
  }
  int selStart() const { return selStart_; }
  int selLength() const { return selLength_; }
  // From the backend: the caret or the text changed in the real control.
  void userSetCaret(int pos) {
    selStart_ = pos;
    selLength_ = 0;
  }
  void userSetText(text::Text t) { text_ = std::move(t); }

  bool readOnly() const { return readOnly_; }
  void setReadOnly(bool r) { readOnly_ = r; }
  // Most bytes the user may type or paste (0: no limit).
  int maxLength() const { return maxLength_; }
  void setMaxLength(int m) { maxLength_ = m; }
  // Only characters the code page has may be typed or pasted: the box's text goes to a file
  // that holds code page bytes alone.
  bool codePageOnly = false;

  class PopupMenu* popupMenu = nullptr;

  // Font of the box, when it differs from its form's.
  std::string fontName;
  int fontHeight = 0;

 private:
  text::Text text_;
  int selStart_ = 0;
  int selLength_ = 0;
  bool readOnly_ = false;
  int maxLength_ = 0;
};

class Memo : public TextBox {
 public:
  explicit Memo(std::string name) : TextBox(Kind::Memo, std::move(name)) {}
  bool wordWrap = false;
  bool scrollBars = false;
};

class Edit : public TextBox {
 public:
  explicit Edit(std::string name) : TextBox(Kind::Edit, std::move(name)) {}
};

// Setting the state from code raises onClick at once, and only when the state changes; a user's
// click changes the state first and then raises onClick the same way.
class CheckBox : public Control {
 public:
  explicit CheckBox(std::string name) : Control(Kind::CheckBox, std::move(name)) {}
  bool checked() const { return checked_; }
  void setChecked(bool c) {
    if (checked_ == c) return;
    checked_ = c;
    notify(Property::Checked);
    if (onClick) onClick();
  }
  void userClick() override { setChecked(!checked_); }

 private:
  bool checked_ = false;
};

class RadioButton : public Control {
 public:
  explicit RadioButton(std::string name) : Control(Kind::RadioButton, std::move(name)) {}
  bool checked() const { return checked_; }
  // Checking one button of a group unchecks its siblings, as the system does.
  void setChecked(bool c);
  void userClick() override { setChecked(true); }

 private:
  bool checked_ = false;
};

class Button : public Control {
 public:
  explicit Button(std::string name, Kind kind = Kind::Button) : Control(kind, std::move(name)) {}
  // Performing the click from code runs the handler at once.
  void performClick() {
    if (onClick) onClick();
  }
};

class SpeedButton : public Button {
 public:
  explicit SpeedButton(std::string name) : Button(std::move(name), Kind::SpeedButton) {
    setTabStop(false);
  }
};

class Label : public Control {
 public:
  explicit Label(std::string name) : Control(Kind::Label, std::move(name)) {}
  std::string fontName;
  int fontHeight = 0;
};

class Panel : public Control {
 public:
  explicit Panel(std::string name) : Control(Kind::Panel, std::move(name)) {}
};

class ComboBox : public Control {
 public:
  explicit ComboBox(std::string name) : Control(Kind::ComboBox, std::move(name)) {}
  const std::vector<std::string>& items() const { return items_; }
  void clearItems() {
    items_.clear();
    itemIndex_ = -1;
    notify(Property::Items);
  }
  void addItem(std::string_view s) {
    items_.emplace_back(s);
    notify(Property::Items);
  }
  void setItem(int i, std::string_view s) {
    if (i < 0 || i >= static_cast<int>(items_.size())) return;
    items_[static_cast<std::size_t>(i)].assign(s);
    notify(Property::Items);
  }
  int itemIndex() const { return itemIndex_; }
  // Selecting from code shows the item's text and raises no change event.
  void setItemIndex(int i);
  const std::string& text() const { return text_; }
  void setText(std::string_view t) {
    text_.assign(t);
    notify(Property::Text);
  }
  // Most bytes the user may type or paste into the edit field (0: no limit).
  int maxLength = 0;
  // Font of the box, when it differs from its form's.
  std::string fontName;
  int fontHeight = 0;
  std::function<void()> onChange;
  // From the backend: the user chose an item.
  void userSelect(int i) {
    setItemIndex(i);
    if (onChange) onChange();
  }
  // Caret position in the edit part, in bytes (kept up to date by the backend).
  int selStart() const { return selStart_; }
  void userSetCaret(int pos) { selStart_ = pos; }
  void userSetText(std::string_view t) {
    text_.assign(t);
    itemIndex_ = -1;
    for (std::size_t k = 0; k < items_.size(); ++k)
      if (items_[k] == t) itemIndex_ = static_cast<int>(k);
  }

 private:
  std::vector<std::string> items_;
  int itemIndex_ = -1;
  std::string text_;
  int selStart_ = 0;
};

// Enabling a running timer does not restart its interval; handlers that fire once disable
// their own timer.
class Timer : public Control {
 public:
  Timer(std::string name, int intervalMs) : Control(Kind::Timer, std::move(name)) {
    interval_ = intervalMs;
    setVisible(false);
  }
  int interval() const { return interval_; }
  bool running() const { return running_; }
  void setRunning(bool r) {
    if (running_ == r) return;
    running_ = r;
    notify(Property::TimerState);
  }
  void start() { setRunning(true); }
  void stop() { setRunning(false); }
  std::function<void()> onTimer;
  // From the backend: the interval has passed.
  void fire() {
    if (running_ && onTimer) onTimer();
  }

 private:
  int interval_;
  bool running_ = false;
};

class MenuItem : public Control {
 public:
  explicit MenuItem(std::string name) : Control(Kind::MenuItem, std::move(name)) {}
};

class PopupMenu : public Control {
 public:
  explicit PopupMenu(std::string name) : Control(Kind::PopupMenu, std::move(name)) {
    setVisible(false);
  }
  std::vector<MenuItem*> items;
};

// A top-level window. Geometry follows the client-height rule: the client height is the outer
// height less the title bar and frame (never below 0), and setting it moves the outer height by
// the difference; an outer height below 0 counts as 0.
class Form : public Control {
 public:
  explicit Form(std::string name) : Control(Kind::Form, std::move(name)) { setVisible(false); }

  int outerHeight() const { return height(); }
  void setOuterHeight(int h);
  int clientHeight() const;
  void setClientHeight(int h);
  void setTop(int t) { setBounds({left(), t, width(), height()}); }
  void setLeft(int l) { setBounds({l, top(), width(), height()}); }
  void setWidth(int w) { setBounds({left(), top(), w, height()}); }

  // Height of title bar and frame together, given by the backend.
  int frameHeight() const { return frameHeight_; }
  void setFrameHeight(int f) { frameHeight_ = f; }

  bool topmost() const { return topmost_; }
  void setTopmost(bool t) { setFlag(topmost_, t, Property::Topmost); }

  // Not seen at all while set (a hint hidden within its run), though still open.
  bool transparent() const { return transparent_; }
  void setTransparent(bool t) { setFlag(transparent_, t, Property::Transparent); }
  // Where the form shows this colour, what lies behind it shows through instead (a window
  // without a frame that shows only its content).
  const std::optional<Color>& transparentColor() const { return transparentColor_; }
  void setTransparentColor(std::optional<Color> c) {
    transparentColor_ = c;
    notify(Property::Transparent);
  }

  // The active window of the desktop is this form (kept up to date by the backend).
  bool active() const { return active_; }
  void setActiveFromBackend(bool a);

  Control* focused() const { return focused_; }
  // Moves the keyboard focus inside the form: the old control's onExit, then the new one's
  // onEnter. From code and from the backend alike.
  void setFocus(Control* c);

  // Key preview: the form sees keys before its focused control.
  std::function<void(int vk)> onFormKeyDown;
  std::function<void(int vk)> onFormKeyUp;
  std::function<void()> onActivate;
  std::function<void()> onDeactivate;
  std::function<bool()> onCloseQuery;  // false refuses the close
  std::function<void()> onClose;
  std::function<void()> onShow;

  // Close the form as its close box does: ask, then close (hide).
  // Returns false when the close was refused.
  bool close();

  std::string fontName;
  int fontHeight = 0;
  // Border and border icons, applied when the form is shown. A sizeable form's bounds keep the
  // size the program gave it; the user may show it larger, and its anchored controls follow.
  bool sizeable = false;
  bool maximizeBox = false;
  bool dialogFrame = true;
  // A framed form's close box and window menu.
  bool systemMenu = true;

  // Window state: maximized or normal. Restoring from code brings back the model's bounds.
  bool maximized() const { return maximized_; }
  void setMaximized(bool m) { setFlag(maximized_, m, Property::WindowState); }
  // From the backend: the user maximized or restored the window.
  void userSetMaximized(bool m) { maximized_ = m; }

  bool keyPreview = false;
  // Keys reach the form as the keys they are: no input method composes text in it or in any of
  // its controls (a panel worked by letter keys, which takes no text).
  bool noInputMethod = false;
  bool toolWindow = false;
  // Never activated: not when shown, not even by a click on it.
  bool noActivate = false;
  // Activated only when asked: by a click on it or by the program bringing it forward. Coming
  // onto the screen by itself it leaves the keyboard where it is, also where the desktop would
  // offer the keyboard to a window that appears (a window manager).
  bool activeOnlyWhenAsked = false;
  // Closing it (its close box, the system's close) ends the program.
  bool quitsOnClose = false;
  // Placed in the middle of the screen the first time it is shown.
  bool centerOnScreen = false;

  void addControl(Control& c) { addChild(c); }
  // Every control of the form in creation order, children of panels included.
  std::vector<Control*> allControls() const;

 private:
  int frameHeight_ = 0;
  bool topmost_ = false;
  bool transparent_ = false;
  std::optional<Color> transparentColor_;
  bool active_ = false;
  bool maximized_ = false;
  Control* focused_ = nullptr;
};

// Line access to a multi-line text: lines split at CR LF, line 0 always exists.
std::string textLine(std::string_view text, int n);
int textLineCount(std::string_view text);
// Replaces only the bytes of line n; a line that does not exist changes nothing.
std::string replaceTextLine(std::string_view text, int n, std::string_view line);

}  // namespace ui
