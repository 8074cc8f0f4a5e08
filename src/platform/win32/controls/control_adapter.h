// The native side of one model control: one adapter per control kind creates the native
// control, applies the model's properties to it and turns its notifications into the model's
// events. The form window does what is common to all of them (layout, tooltips, mouse and focus)
// and asks the adapter for the rest.
#pragma once

#include "platform/win32/win32_util.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "ui/widgets.h"

namespace win32 {

class ControlAdapter;

// What an adapter needs from the form window it lives in.
class ControlSite {
 public:
  virtual HINSTANCE instance() const = 0;
  // The form's own window: the owner of timers and menus.
  virtual HWND formHwnd() const = 0;
  virtual UINT dpi() const = 0;
  int scale(int v) const { return scaleToDpi(v, dpi()); }
  // What the native control is given for a model text: bounded to what it can show.
  virtual std::wstring shown(const ui::Control& c, ui::Property what) const = 0;
  // The model text for what the user typed into a control.
  virtual text::Text typedText(std::wstring_view typed) const = 0;
  virtual HFONT fontFor(const ControlAdapter& a) = 0;
  virtual HBRUSH brush(COLORREF c) = 0;
  // The colour a control is painted with (see-through ones take their parent's).
  virtual ui::Color effectiveColor(const ui::Control& c) const = 0;
  virtual ControlAdapter* find(const ui::Control& c) const = 0;
  // Runs a model handler; nothing once the form is detached from its model.
  virtual void run(const std::function<void()>& fn) = 0;
  virtual void showMenu(ui::PopupMenu& menu, POINT screen) = 0;
  // Routes the window's messages through the form (as for the control's own window).
  virtual void subclass(HWND w, ControlAdapter& a) = 0;
  virtual UINT_PTR newTimerId() = 0;
  // > 0 while the backend itself updates a window: its notifications are not the user's.
  virtual int& nativeEcho() = 0;

 protected:
  ~ControlSite() = default;
};

// A window update made by the backend itself, for as long as it lives.
class NativeEcho {
 public:
  explicit NativeEcho(ControlSite& site) : count_(site.nativeEcho()) { ++count_; }
  NativeEcho(const NativeEcho&) = delete;
  NativeEcho& operator=(const NativeEcho&) = delete;
  ~NativeEcho() { --count_; }

 private:
  int& count_;
};

class ControlAdapter {
 public:
  explicit ControlAdapter(ui::Control& c) : control(&c) {}
  ControlAdapter(const ControlAdapter&) = delete;
  ControlAdapter& operator=(const ControlAdapter&) = delete;
  virtual ~ControlAdapter() = default;

  ui::Control* const control;
  HWND hwnd = nullptr;  // none for timers and menus; owned by the form window
  UINT_PTR timerId = 0;
  bool mouseInside = false;
  bool leftPressed = false;
  bool hasTool = false;  // registered with the form's tooltip

  // Creates the native control as a child of parent, with the given control id.
  virtual void create(ControlSite& site, HWND parent, int id);
  // Has a window of its own (timers and menus have none).
  bool hasWindow() const { return spec().cls != nullptr; }

  // A property of the model control changed (hints and bounds are the form's business).
  virtual void apply(ControlSite& site, ui::Property what);
  virtual void applyText(ControlSite& site);
  virtual void applyItems(ControlSite&) {}
  virtual void applyFont(ControlSite& site);
  // Moves the window to the place the form's layout gave it, in pixels.
  virtual void place(ControlSite& site, int left, int top, int width, int height);

  struct Font {
    std::string name;  // empty: the form's
    int height = 0;    // 0: the form's
  };
  virtual Font ownFont() const { return {}; }
  // Painted in its parent's colour while it has none of its own.
  virtual bool showsParentColor() const { return false; }
  // Counted when its parent sizes itself to its children.
  virtual bool takesSpace() const { return true; }
  // Windows inside it (a combo box's edit part) belong to it.
  virtual bool ownsChildWindows() const { return false; }
  // Enter on it while it has the focus clicks it.
  virtual bool clicksOnReturn() const { return false; }

  // The caret of its field, in bytes of the system code page, before a key reaches it.
  virtual void caretToModel(int) {}
  // A notification (WM_COMMAND code) from the native control.
  virtual void command(ControlSite&, int, HWND) {}
  virtual void timerElapsed(ControlSite&) {}
  // A message to one of its windows, after the form's common handling of it; a value is the
  // result and ends the message, none passes it on to the native control.
  virtual std::optional<LRESULT> message(ControlSite&, HWND, UINT, WPARAM, LPARAM) { return {}; }
  // The left button released over w; clicked when it was pressed there too.
  virtual LRESULT leftButtonUp(ControlSite& site, HWND w, WPARAM wParam, LPARAM lParam,
                               bool clicked);

 protected:
  struct WindowSpec {
    const wchar_t* cls = nullptr;  // none: no window
    DWORD style = 0;
    DWORD exStyle = 0;
    bool tabStop = true;  // takes the focus by Tab when the model says so
  };
  virtual WindowSpec spec() const { return {}; }
  // After the window exists: limits, inner windows.
  virtual void created(ControlSite&) {}
  virtual ui::Property textProperty() const { return ui::Property::Caption; }
  void repaint() const;
};

// The one place that looks at a control's kind.
std::unique_ptr<ControlAdapter> makeAdapter(ui::Control& c);

}  // namespace win32
