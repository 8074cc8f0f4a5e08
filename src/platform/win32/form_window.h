// A form of the widget model rendered as a real top-level window with native child controls.
// Model changes arrive through ControlPeer::changed; user actions go back into the model, each
// through the host's runHandler so that an error is reported and the message loop goes on. The
// form keeps its frame, layout, DPI and the message routing; each control's own native behaviour
// is its adapter's.
#pragma once

#include "platform/win32/win32_util.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32/controls/control_adapter.h"
#include "platform/win32/form_host.h"
#include "ui/widgets.h"

namespace win32 {

// The native side of one model control, as the platform sees it.
using NativeControl = ControlAdapter;

class FormWindow : public ui::ControlPeer, private ControlSite {
 public:
  FormWindow(FormHost& host, ui::Form& form, HWND owner);
  FormWindow(const FormWindow&) = delete;
  FormWindow& operator=(const FormWindow&) = delete;
  ~FormWindow() override;

  HWND hwnd() const { return window_.get(); }
  ui::Form& form() const { return *form_; }
  UINT dpi() const override { return dpi_; }

  void changed(ui::Control& control, ui::Property what) override;

  // Stops every call into the model; the model may already be gone.
  void detach();

  // First showing without activation.
  void showNoActivate();
  // The program brings this window forward: a window active only when asked may now be.
  void allowActivation();
  void applyHintTiming(int pauseMs, int hideMs);

  NativeControl* find(HWND child);
  NativeControl* find(const ui::Control& control) const override;

  // Key messages seen by the message loop before dispatch; returns true to drop the message.
  bool preTranslateKey(MSG& msg, NativeControl* target);

  static FormWindow* fromHwnd(HWND w);

 private:
  void refuseActivation();
  void userPress(UINT mouseMessage);
  // The one subclass this form installs on each control window.
  static constexpr UINT_PTR kSubclassId = 1;
  // Posted to itself: the window is given its model size again.
  static constexpr UINT kRestoreSize = WM_APP + 31;
  static LRESULT CALLBACK windowProc(HWND, UINT, WPARAM, LPARAM);
  static LRESULT CALLBACK childProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
  LRESULT handle(UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT handleChild(NativeControl& nc, HWND w, UINT msg, WPARAM wParam, LPARAM lParam);
  // One function per message of the form; those that return nothing, or no value, leave the
  // message to the default procedure too.
  LRESULT handleCommand(WPARAM wParam, LPARAM lParam);
  LRESULT controlColor(HDC dc, HWND child);
  LRESULT eraseBackground(HDC dc);
  std::optional<LRESULT> timerElapsed(UINT_PTR id);
  std::optional<LRESULT> activated(bool active);
  LRESULT closeRequested();
  static LRESULT minMaxInfo(MINMAXINFO& info);
  void sized(WPARAM kind);
  void moved(const WINDOWPOS& pos);
  LRESULT dpiChanged(UINT dpi, const RECT& suggested);
  // ... and of its controls.
  void childFocused(ui::Control* c);
  void childMouseMove(NativeControl& nc, HWND w);
  LRESULT childLeftButtonUp(NativeControl& nc, HWND w, WPARAM wParam, LPARAM lParam);
  static bool childSetCursor(const ui::Control& c, WORD hitTest);
  // Keys before dispatch; a target is a control of this form.
  bool keyDown(const MSG& msg, NativeControl* target);
  void keyUp(int vk, NativeControl* target);
  bool keyChar(MSG& msg, NativeControl* target);
  static void caretToModel(HWND edit, NativeControl& target);

  // ControlSite
  HINSTANCE instance() const override { return host_.instance(); }
  HWND formHwnd() const override { return hwnd(); }
  std::wstring shown(const ui::Control& c, ui::Property what) const override;
  text::Text typedText(std::wstring_view typed) const override;
  HFONT fontFor(const ControlAdapter& a) override;
  HBRUSH brush(COLORREF c) override;
  ui::Color effectiveColor(const ui::Control& c) const override;
  void run(const std::function<void()>& fn) override;
  void showMenu(ui::PopupMenu& menu, POINT screen) override;
  void subclass(HWND w, ControlAdapter& a) override;
  UINT_PTR newTimerId() override { return nextTimerId_++; }
  int& nativeEcho() override { return nativeEcho_; }

  void createControls(ui::Control& parent, HWND parentHwnd);
  void createControl(ui::Control& c, HWND parentHwnd);
  // The controls' own windows, made when the form is first shown; afterwards they follow
  // the model as it is by then.
  void ensureChildWindows();
  void createChildWindows(ui::Control& parent, HWND parentHwnd);
  void applyControlState();
  // Window style from the form's flags (border, border icons, tool window, stacking).
  void applyStyles();
  void applyFormBounds();
  void applyControlBounds(NativeControl& nc);
  void applyFonts();
  void applyColor();
  void applyTopmost();
  // Detaches the input method from the form and its controls when the model asks for it.
  void applyInputMethod();
  void applyTransparent();
  void applyHint(NativeControl& nc);
  void applyFocus();
  void applyWindowState();
  // How much larger than its model size (scaled) a control is shown, in pixels: a sizeable form
  // the user enlarged or maximized, and the anchored controls that grow with it.
  SIZE growth(const ui::Control& c) const;
  void layoutAnchored();
  void updateFrameHeight();
  void autoSizeParent(ui::Control& child);
  void centerOnFirstShow();

  HFONT font(const std::string& name, int height);

  FormHost& host_;
  ui::Form* form_;
  UniqueWindow window_;
  UniqueWindow tooltip_;
  UINT dpi_ = 96;
  bool detached_ = false;
  bool shownBefore_ = false;
  bool childWindows_ = false;
  // Controls shown or hidden before their windows existed, in the order of their last change:
  // replayed at creation, as a panel that is shown comes to the top of its siblings.
  std::vector<ui::Control*> visibilityChanges_;
  // Echo guards: > 0 while the backend itself updates the model (its change notifications are
  // not mirrored back) or a window (its notifications are not reported to the model).
  int modelEcho_ = 0;
  int nativeEcho_ = 0;
  // Sizes put back since the model last set its bounds: a window manager that keeps refusing a
  // size is not argued with for ever.
  int sizeRestores_ = 0;
  std::vector<std::unique_ptr<NativeControl>> controls_;
  std::map<std::pair<std::wstring, int>, UniqueFont> fonts_;
  std::map<COLORREF, UniqueBrush> brushes_;
  UINT_PTR nextTimerId_ = 1;
};

}  // namespace win32
