#include "platform/win32/controls/buttons.h"

#include <commctrl.h>
#include <windowsx.h>

namespace win32 {

void ButtonLikeAdapter::command(ControlSite& site, int code, HWND) {
  ui::Control* c = control;
  if (code == BN_CLICKED) site.run([c] { c->userClick(); });
}

LRESULT ButtonLikeAdapter::leftButtonUp(ControlSite& site, HWND w, WPARAM wParam, LPARAM lParam,
                                        bool) {
  // The release first, then the click (BN_CLICKED) from the native control.
  ui::Control* c = control;
  site.run([c] { c->userMouseUp(ui::MouseButton::Left); });
  return ::DefSubclassProc(w, WM_LBUTTONUP, wParam, lParam);
}

ControlAdapter::WindowSpec ButtonAdapter::spec() const {
  return {L"BUTTON", BS_PUSHBUTTON};
}

ControlAdapter::WindowSpec SpeedButtonAdapter::spec() const {
  return {L"BUTTON", BS_PUSHBUTTON, 0, false};
}

std::optional<LRESULT> SpeedButtonAdapter::message(ControlSite&, HWND w, UINT msg, WPARAM,
                                                   LPARAM lParam) {
  switch (msg) {
    case WM_MOUSEMOVE:
      if (leftPressed) {
        // Shown pressed while the pointer is over it.
        POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        RECT r;
        ::GetClientRect(w, &r);
        ::SendMessageW(w, BM_SETSTATE, ::PtInRect(&r, p), 0);
        return 0;
      }
      return {};
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      // Pressed without the default handling, which would move the focus.
      ::SetCapture(w);
      ::SendMessageW(w, BM_SETSTATE, TRUE, 0);
      return 0;
    default:
      return {};
  }
}

LRESULT SpeedButtonAdapter::leftButtonUp(ControlSite& site, HWND w, WPARAM, LPARAM, bool clicked) {
  ui::Control* c = control;
  ::ReleaseCapture();
  ::SendMessageW(w, BM_SETSTATE, FALSE, 0);
  site.run([c] { c->userMouseUp(ui::MouseButton::Left); });
  if (clicked) site.run([c] { c->userClick(); });
  return 0;
}

}  // namespace win32
