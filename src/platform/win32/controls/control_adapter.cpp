#include "platform/win32/controls/control_adapter.h"

#include <commctrl.h>
#include <imm.h>

namespace win32 {

void ControlAdapter::create(ControlSite& site, HWND parent, int id) {
  const WindowSpec s = spec();
  if (!s.cls) return;
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS | s.style;
  if (s.tabStop && control->tabStop()) style |= WS_TABSTOP;
  if (control->visible()) style |= WS_VISIBLE;
  if (!control->enabled()) style |= WS_DISABLED;
  hwnd = ::CreateWindowExW(s.exStyle, s.cls, L"", style, 0, 0, 0, 0, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), site.instance(),
                           nullptr);
  if (!hwnd) return;
  site.subclass(hwnd, *this);
  created(site);
  if (control->imeOff) inputMethodOff(hwnd);
}

void ControlAdapter::apply(ControlSite& site, ui::Property what) {
  if (!hwnd) return;
  using P = ui::Property;
  switch (what) {
    case P::Text:
    case P::Caption:
      applyText(site);
      break;
    case P::Visible:
      ::ShowWindow(hwnd, control->visible() ? SW_SHOWNA : SW_HIDE);
      break;
    case P::Enabled:
      ::EnableWindow(hwnd, control->enabled());
      break;
    case P::Color:
      repaint();
      // Children that take their colour from this one repaint too.
      for (ui::Control* child : control->children())
        if (ControlAdapter* a = site.find(*child)) a->repaint();
      break;
    case P::Items:
    case P::ItemIndex:
      applyItems(site);
      break;
    default:
      break;
  }
}

void ControlAdapter::repaint() const {
  if (hwnd) ::InvalidateRect(hwnd, nullptr, TRUE);
}

void ControlAdapter::applyText(ControlSite& site) {
  if (!hwnd) return;
  const std::wstring wide = site.shown(*control, textProperty());
  NativeEcho echo(site);
  ::SetWindowTextW(hwnd, wide.c_str());
}

void ControlAdapter::applyFont(ControlSite& site) {
  ::SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(site.fontFor(*this)), TRUE);
}

void ControlAdapter::place(ControlSite&, int left, int top, int width, int height) {
  ::SetWindowPos(hwnd, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT ControlAdapter::leftButtonUp(ControlSite& site, HWND w, WPARAM wParam, LPARAM lParam,
                                     bool clicked) {
  const LRESULT result = ::DefSubclassProc(w, WM_LBUTTONUP, wParam, lParam);
  ui::Control* c = control;
  if (clicked) site.run([c] { c->userClick(); });
  site.run([c] { c->userMouseUp(ui::MouseButton::Left); });
  return result;
}

}  // namespace win32
