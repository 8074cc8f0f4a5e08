// The form's message routing: keys seen before dispatch, the window procedure of the form and
// the subclass procedure of its controls. Each procedure decodes a message and hands it to a
// small function named for it.
#include "platform/win32/form_window.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <optional>

namespace win32 {

// --- keys ---

bool FormWindow::preTranslateKey(MSG& msg, NativeControl* target) {
  if (detached_) return false;
  NativeControl* focused = target && target->control ? target : nullptr;
  switch (msg.message) {
    case WM_KEYDOWN:
      return keyDown(msg, focused);
    case WM_KEYUP:
      keyUp(static_cast<int>(msg.wParam), focused);
      return false;
    case WM_CHAR:
      return keyChar(msg, focused);
    default:
      return false;
  }
}

void FormWindow::caretToModel(HWND edit, NativeControl& target) {
  if (!target.hwnd) return;
  DWORD start = 0;
  ::SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
  // The model counts bytes of the system code page.
  const std::wstring text = windowText(edit);
  const int bytes = static_cast<int>(
      wideToAnsi(std::wstring_view(text).substr(0, std::min<std::size_t>(start, text.size())))
          .size());
  target.caretToModel(bytes);
}

bool FormWindow::keyDown(const MSG& msg, NativeControl* target) {
  ui::Control* c = target ? target->control : nullptr;
  const int vk = static_cast<int>(msg.wParam);
  if (form_->keyPreview || !c)
    run([&] {
      if (form_->onFormKeyDown) form_->onFormKeyDown(vk);
    });
  if (c) {
    caretToModel(msg.hwnd, *target);
    run([&] {
      if (c->onKeyDown) c->onKeyDown(vk);
    });
  }
  if (vk == VK_TAB && ::GetKeyState(VK_CONTROL) >= 0) {
    HWND next = ::GetNextDlgTabItem(hwnd(), ::GetFocus(), ::GetKeyState(VK_SHIFT) < 0);
    if (next) ::SetFocus(next);
    return true;
  }
  if (vk == VK_RETURN && c && target->clicksOnReturn() && ::GetFocus() == target->hwnd) {
    run([&] { c->userClick(); });
    return true;
  }
  return false;
}

void FormWindow::keyUp(int vk, NativeControl* target) {
  ui::Control* c = target ? target->control : nullptr;
  if (form_->keyPreview || !c)
    run([&] {
      if (form_->onFormKeyUp) form_->onFormKeyUp(vk);
    });
  if (c)
    run([&] {
      if (c->onKeyUp) c->onKeyUp(vk);
    });
}

bool FormWindow::keyChar(MSG& msg, NativeControl* target) {
  ui::Control* c = target ? target->control : nullptr;
  if (!c || !c->onKeyPress) return false;
  const wchar_t wc = static_cast<wchar_t>(msg.wParam);
  const std::string bytes = wideToAnsi(std::wstring_view(&wc, 1));
  if (bytes.size() != 1) return false;  // double-byte characters pass untouched
  char ch = bytes[0];
  run([&] { c->onKeyPress(ch); });
  if (ch == 0) return true;
  if (ch != bytes[0]) {
    const std::wstring w = ansiToWide(std::string_view(&ch, 1));
    if (!w.empty()) msg.wParam = w[0];
  }
  return false;
}

// --- the form's window procedure ---

LRESULT CALLBACK FormWindow::windowProc(HWND w, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
    auto* self = static_cast<FormWindow*>(cs->lpCreateParams);
    ::SetWindowLongPtrW(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    ::EnableNonClientDpiScaling(w);
  }
  FormWindow* self = fromHwnd(w);
  if (!self || self->detached_ || !self->window_) return ::DefWindowProcW(w, msg, wParam, lParam);
  return self->handle(msg, wParam, lParam);
}

LRESULT FormWindow::handle(UINT msg, WPARAM wParam, LPARAM lParam) {
  // Before the press is handled, as the system activates a window before its press arrives.
  if (msg == WM_SETCURSOR) userPress(HIWORD(lParam));
  if (LRESULT result = 0; host_.handleApplicationMessage(*this, msg, wParam, lParam, result))
    return result;
  std::optional<LRESULT> result;
  switch (msg) {
    case WM_COMMAND:
      result = handleCommand(wParam, lParam);
      break;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      result = controlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
      break;
    case WM_ERASEBKGND:
      result = eraseBackground(reinterpret_cast<HDC>(wParam));
      break;
    case WM_TIMER:
      result = timerElapsed(wParam);
      break;
    case WM_ACTIVATE:
      result = activated(LOWORD(wParam) != WA_INACTIVE);
      break;
    case WM_CLOSE:
      result = closeRequested();
      break;
    case WM_GETMINMAXINFO:
      result = minMaxInfo(*reinterpret_cast<MINMAXINFO*>(lParam));
      break;
    case WM_SIZE:
      sized(wParam);
      break;
    case WM_WINDOWPOSCHANGED:
      moved(*reinterpret_cast<const WINDOWPOS*>(lParam));
      break;
    case kRestoreSize:
      if (++sizeRestores_ <= 3) applyFormBounds();
      result = 0;
      break;
    case WM_DPICHANGED:
      result = dpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      break;
    default:
      break;
  }
  if (result) return *result;
  return ::DefWindowProcW(hwnd(), msg, wParam, lParam);
}

LRESULT FormWindow::handleCommand(WPARAM wParam, LPARAM lParam) {
  HWND child = reinterpret_cast<HWND>(lParam);
  NativeControl* nc = find(child);
  if (!nc || nativeEcho_ > 0) return 0;
  nc->command(*this, HIWORD(wParam), child);
  return 0;
}

LRESULT FormWindow::controlColor(HDC dc, HWND child) {
  NativeControl* nc = find(child);
  if (!nc) return reinterpret_cast<LRESULT>(brush(toColorRef(form_->color())));
  const COLORREF bg = toColorRef(effectiveColor(*nc->control));
  ::SetBkColor(dc, bg);
  ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
  return reinterpret_cast<LRESULT>(brush(bg));
}

LRESULT FormWindow::eraseBackground(HDC dc) {
  RECT r;
  ::GetClientRect(hwnd(), &r);
  ::FillRect(dc, &r, brush(toColorRef(form_->color())));
  return 1;
}

std::optional<LRESULT> FormWindow::timerElapsed(UINT_PTR id) {
  for (auto& nc : controls_) {
    if (nc->timerId == id) {
      nc->timerElapsed(*this);
      return 0;
    }
  }
  return std::nullopt;
}

std::optional<LRESULT> FormWindow::activated(bool active) {
  if (!active) {
    refuseActivation();
    run([this] { form_->setActiveFromBackend(false); });
    return std::nullopt;
  }
  host_.noteActiveForm(this);
  run([this] { form_->setActiveFromBackend(true); });
  // The focus goes back to the model's focused control when it can take it.
  if (ui::Control* c = form_->focused()) {
    NativeControl* nc = find(*c);
    if (nc && nc->hwnd && ::IsWindowVisible(nc->hwnd) && ::IsWindowEnabled(nc->hwnd)) {
      ++nativeEcho_;
      ::SetFocus(nc->hwnd);
      --nativeEcho_;
      return 0;
    }
  }
  return std::nullopt;
}

LRESULT FormWindow::closeRequested() {
  bool closed = false;
  run([&] { closed = form_->close(); });
  if (closed && form_->quitsOnClose) host_.quit();
  return 0;
}

LRESULT FormWindow::minMaxInfo(MINMAXINFO& info) {
  // The panel can shrink to its title bar and to nothing at all.
  info.ptMinTrackSize = {0, 0};
  return 0;
}

void FormWindow::sized(WPARAM kind) {
  if (kind == SIZE_MINIMIZED || !form_->sizeable) return;
  // The user maximized, restored or sized the window: the state reaches the model, the
  // anchored controls follow the frame.
  const bool zoomed = kind == SIZE_MAXIMIZED;
  if (form_->maximized() != zoomed) run([this, zoomed] { form_->userSetMaximized(zoomed); });
  layoutAnchored();
}

void FormWindow::moved(const WINDOWPOS& pos) {
  // A drag by the user moves the model too; sizes stay the model's, and so does the
  // position while the window is maximized (it comes back there when restored).
  if (nativeEcho_ == 0 && !(pos.flags & SWP_NOMOVE) && !::IsZoomed(hwnd()) &&
      (pos.x != form_->left() || pos.y != form_->top())) {
    ++modelEcho_;
    form_->setBounds({pos.x, pos.y, form_->width(), form_->height()});
    --modelEcho_;
  }
  // The size of a window the user cannot size is the program's alone. A change from elsewhere
  // is put back once this message is done with: under Wine it is the window manager's late
  // notice of a size the program asked for earlier (a fold that overtook a drop-down), which
  // would otherwise stay.
  if (nativeEcho_ == 0 && !form_->sizeable && !(pos.flags & SWP_NOSIZE) && !::IsIconic(hwnd()) &&
      (pos.cx != scale(form_->width()) || pos.cy != scale(std::max(0, form_->height()))))
    ::PostMessageW(hwnd(), kRestoreSize, 0, 0);
}

LRESULT FormWindow::dpiChanged(UINT dpi, const RECT& suggested) {
  dpi_ = dpi;
  ++modelEcho_;
  form_->setBounds({suggested.left, suggested.top, form_->width(), form_->height()});
  --modelEcho_;
  applyFonts();
  applyFormBounds();
  for (auto& nc : controls_)
    if (nc->hwnd) applyControlBounds(*nc);
  updateFrameHeight();
  return 0;
}

// --- the controls' subclass procedure ---

LRESULT CALLBACK FormWindow::childProc(HWND w, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                       DWORD_PTR ref) {
  auto* nc = reinterpret_cast<NativeControl*>(ref);
  if (msg == WM_NCDESTROY) {
    ::RemoveWindowSubclass(w, childProc, kSubclassId);
    return ::DefSubclassProc(w, msg, wParam, lParam);
  }
  FormWindow* self = fromHwnd(::GetAncestor(w, GA_ROOT));
  if (!self || self->detached_) return ::DefSubclassProc(w, msg, wParam, lParam);
  return self->handleChild(*nc, w, msg, wParam, lParam);
}

LRESULT FormWindow::handleChild(NativeControl& nc, HWND w, UINT msg, WPARAM wParam, LPARAM lParam) {
  ui::Control* c = nc.control;
  switch (msg) {
    case WM_SETFOCUS:
      childFocused(c);
      break;
    case WM_MOUSEMOVE:
      childMouseMove(nc, w);
      break;
    case WM_MOUSELEAVE:
      nc.mouseInside = false;
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      nc.leftPressed = true;
      run([c] { c->userMouseDown(ui::MouseButton::Left); });
      break;
    case WM_RBUTTONDOWN:
      run([c] { c->userMouseDown(ui::MouseButton::Right); });
      break;
    case WM_MBUTTONDOWN:
      run([c] { c->userMouseDown(ui::MouseButton::Middle); });
      break;
    case WM_RBUTTONUP:
      run([c] { c->userMouseUp(ui::MouseButton::Right); });
      break;
    case WM_MBUTTONUP:
      run([c] { c->userMouseUp(ui::MouseButton::Middle); });
      break;
    case WM_LBUTTONUP:
      return childLeftButtonUp(nc, w, wParam, lParam);
    case WM_SETCURSOR:
      userPress(HIWORD(lParam));
      if (childSetCursor(*c, LOWORD(lParam))) return TRUE;
      break;
    default:
      break;
  }
  if (std::optional<LRESULT> result = nc.message(*this, w, msg, wParam, lParam)) return *result;
  return ::DefSubclassProc(w, msg, wParam, lParam);
}

void FormWindow::childFocused(ui::Control* c) {
  // The model's enter and exit handlers may change other controls, so their changes must
  // reach the windows: no syncing guard here (applyFocus sees the focus is already there).
  if (nativeEcho_ == 0 && form_->focused() != c) run([this, c] { form_->setFocus(c); });
}

void FormWindow::childMouseMove(NativeControl& nc, HWND w) {
  if (nc.mouseInside) return;
  nc.mouseInside = true;
  TRACKMOUSEEVENT tme{};
  tme.cbSize = sizeof(tme);
  tme.dwFlags = TME_LEAVE;
  tme.hwndTrack = w;
  ::TrackMouseEvent(&tme);
  ui::Control* c = nc.control;
  run([c] { c->userMouseEnter(); });
}

LRESULT FormWindow::childLeftButtonUp(NativeControl& nc, HWND w, WPARAM wParam, LPARAM lParam) {
  // A click counts when the button was pressed on the control and is released inside it.
  const bool wasPressed = nc.leftPressed;
  nc.leftPressed = false;
  POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  RECT r;
  ::GetClientRect(w, &r);
  const bool inside = ::PtInRect(&r, p) != FALSE;
  return nc.leftButtonUp(*this, w, wParam, lParam, wasPressed && inside);
}

bool FormWindow::childSetCursor(const ui::Control& c, WORD hitTest) {
  if (!c.handCursor() || hitTest != HTCLIENT) return false;
  ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
  return true;
}

}  // namespace win32
