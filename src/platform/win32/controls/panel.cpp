#include "platform/win32/controls/panel.h"

namespace win32 {

namespace {

constexpr wchar_t kPanelClass[] = L"KolvexPanel";

// Panels pass the notifications of their children on to the form, which owns the handling.
LRESULT CALLBACK panelProc(HWND w, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
      return ::SendMessageW(::GetAncestor(w, GA_ROOT), msg, wParam, lParam);
    default:
      return ::DefWindowProcW(w, msg, wParam, lParam);
  }
}

}  // namespace

ControlAdapter::WindowSpec PanelAdapter::spec() const {
  return {kPanelClass, WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, false};
}

void PanelAdapter::create(ControlSite& site, HWND parent, int id) {
  registerWindowClass(site.instance(), kPanelClass, panelProc, 0);
  ControlAdapter::create(site, parent, id);
}

void PanelAdapter::apply(ControlSite& site, ui::Property what) {
  ControlAdapter::apply(site, what);
  // A panel shown over other controls of its window (an editor mode) covers them.
  if (what == ui::Property::Visible && hwnd && control->visible())
    ::SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

std::optional<LRESULT> PanelAdapter::message(ControlSite& site, HWND w, UINT msg, WPARAM wParam,
                                             LPARAM) {
  if (msg != WM_ERASEBKGND) return {};
  RECT r;
  ::GetClientRect(w, &r);
  ::FillRect(reinterpret_cast<HDC>(wParam), &r,
             site.brush(toColorRef(site.effectiveColor(*control))));
  return 1;
}

}  // namespace win32
