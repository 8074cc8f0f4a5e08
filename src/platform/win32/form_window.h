// A form of the widget model rendered as a real top-level window with native child controls.
// Model changes arrive through ControlPeer::changed; user actions go back into the model, each
// through platform::runHandler so that an error is reported and the message loop goes on.
#pragma once

#include "platform/win32/win32_util.h"

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "ui/widgets.h"

namespace win32 {

class Win32Platform;

// The native side of one model control.
struct NativeControl {
  ui::Control* control = nullptr;
  HWND hwnd = nullptr;  // none for timers and menus; owned by the form window
  UINT_PTR timerId = 0;
  bool mouseInside = false;
  bool leftPressed = false;
  bool hasTool = false;  // registered with the form's tooltip
};

class FormWindow : public ui::ControlPeer {
 public:
  FormWindow(Win32Platform& platform, ui::Form& form, HWND owner);
  FormWindow(const FormWindow&) = delete;
  FormWindow& operator=(const FormWindow&) = delete;
  ~FormWindow() override;

  HWND hwnd() const { return window_.get(); }
  ui::Form& form() const { return *form_; }
  UINT dpi() const { return dpi_; }

  void changed(ui::Control& control, ui::Property what) override;

  // Stops every call into the model; the model may already be gone.
  void detach();

  // First showing without activation.
  void showNoActivate();
  void applyHintTiming(int pauseMs, int hideMs);
  void popupMenuFor(NativeControl& nc, POINT screen);
  // Window style from the form's flags (border, close box, tool window, stacking).
  void applyStyles();

  NativeControl* find(HWND child);
  NativeControl* find(const ui::Control& control);

  // Key messages seen by the message loop before dispatch; returns true to drop the message.
  bool preTranslateKey(MSG& msg, NativeControl* target);

  static FormWindow* fromHwnd(HWND w);

 private:
  static LRESULT CALLBACK windowProc(HWND, UINT, WPARAM, LPARAM);
  static LRESULT CALLBACK childProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
  LRESULT handle(UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT handleChild(NativeControl& nc, HWND w, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT handleCommand(WPARAM wParam, LPARAM lParam);
  LRESULT controlColor(HDC dc, HWND child);
  static bool isEditField(const NativeControl& nc, HWND w);

  void run(const std::function<void()>& fn);

  void createControls(ui::Control& parent, HWND parentHwnd);
  void createControl(ui::Control& c, HWND parentHwnd);
  void applyFormBounds();
  void applyControlBounds(NativeControl& nc);
  void applyFonts();
  void applyText(NativeControl& nc);
  // What the native control is given for a model text: bounded to what it can show.
  std::wstring shown(const ui::Control& c, ui::Property what) const;
  void applyColor();
  void applyTopmost();
  void applyTransparent();
  void applyHint(NativeControl& nc);
  void applyTimer(NativeControl& nc);
  void applyItems(NativeControl& nc);
  void applyFocus();
  void applyWindowState();
  // How much larger than its model size (scaled) a control is shown, in pixels: a sizeable form
  // the user enlarged or maximized, and the anchored controls that grow with it.
  SIZE growth(const ui::Control& c) const;
  void layoutAnchored();
  void updateFrameHeight();
  void autoSizeLabel(NativeControl& nc);
  void autoSizeParent(ui::Control& child);
  void centerOnFirstShow();

  HFONT fontFor(const ui::Control& c);
  HFONT font(const std::string& name, int height);
  HBRUSH brush(COLORREF c);
  ui::Color effectiveColor(const ui::Control& c) const;
  int scale(int v) const { return scaleToDpi(v, dpi_); }

  Win32Platform& platform_;
  ui::Form* form_;
  UniqueWindow window_;
  UniqueWindow tooltip_;
  UINT dpi_ = 96;
  bool detached_ = false;
  bool shownBefore_ = false;
  // Echo guards: > 0 while the backend itself updates the model (its change notifications are
  // not mirrored back) or a window (its notifications are not reported to the model).
  int modelEcho_ = 0;
  int nativeEcho_ = 0;
  std::vector<std::unique_ptr<NativeControl>> controls_;
  std::map<std::pair<std::wstring, int>, UniqueFont> fonts_;
  std::map<COLORREF, UniqueBrush> brushes_;
  UINT_PTR nextTimerId_ = 1;
};

}  // namespace win32
