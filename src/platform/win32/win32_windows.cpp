// Windows: the hidden application window, the forms, the foreground, the pointer and other
// programs' windows.

#include "platform/win32/win32_platform.h"

#include "platform/win32/win32_internal.h"

namespace win32 {

namespace {

constexpr wchar_t kApplicationClass[] = L"TApplication";

// Posted to the application window: pass its activation on to the form the user works in.
constexpr UINT kForwardActivation = WM_APP + 30;

bool ownWindow(HWND w) {
  DWORD process = 0;
  if (w) ::GetWindowThreadProcessId(w, &process);
  return w && process == ::GetCurrentProcessId();
}

}  // namespace

// --- application window ---

void Win32Platform::setupApplicationWindow(std::string_view title) {
  const std::wstring wideTitle = ansiToWide(title);
  if (appWindow_) {
    ::SetWindowTextW(appWindow_.get(), wideTitle.c_str());
    return;
  }
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = appWindowProc;
  wc.hInstance = instance_;
  wc.hIcon = ::LoadIconW(instance_, MAKEINTRESOURCEW(1));
  wc.lpszClassName = kApplicationClass;
  ::RegisterClassExW(&wc);
  // Hidden, tool-window style: the owner of every form, so none of them gets a task-bar button.
  appWindow_.reset(::CreateWindowExW(WS_EX_TOOLWINDOW, kApplicationClass, wideTitle.c_str(),
                                     WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance_, nullptr));
  ::SetWindowLongPtrW(appWindow_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

LRESULT CALLBACK Win32Platform::appWindowProc(HWND w, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<Win32Platform*>(::GetWindowLongPtrW(w, GWLP_USERDATA));
  if (self && msg == kForwardActivation) {
    if (::GetForegroundWindow() != w) return 0;
    FormWindow* target = self->lastActive_;
    if (!target || !::IsWindowVisible(target->hwnd()) || !::IsWindowEnabled(target->hwnd()))
      target = self->main_;
    if (target && ::IsWindowVisible(target->hwnd())) {
      target->allowActivation();
      ::SetForegroundWindow(target->hwnd());
    }
    return 0;
  }
  if (self && msg == WM_TIMER && wParam == kDeactivationTimer) {
    // While the task bar holds the foreground, a click on the icon may still come: a busy
    // system hands it over late, and the panel must not fold as its menu opens. The program is
    // left once another program or the desktop takes the foreground, or nobody holds it.
    if (taskbarHoldsForeground()) return 0;
    ::KillTimer(w, kDeactivationTimer);
    if (!ownWindow(::GetForegroundWindow()) && self->events_)
      platform::runHandler(*self, [self] { self->events_->applicationDeactivate(); });
    return 0;
  }
  return ::DefWindowProcW(w, msg, wParam, lParam);
}

void Win32Platform::bringApplicationToFront() {
  wchar_t title[256] = {};
  if (appWindow_) ::GetWindowTextW(appWindow_.get(), title, 256);
  HWND app = ::FindWindowW(kApplicationClass, title);
  if (!app) return;
  ::SetForegroundWindow(app);
  // Like a click on the task-bar button: once the handler is done, the form the user was
  // working in becomes active again.
  if (app == appWindow_.get()) ::PostMessageW(app, kForwardActivation, 0, 0);
}

// --- forms ---

void Win32Platform::realize(ui::Form& form) {
  forms_.push_back(std::make_unique<FormWindow>(*this, form, appWindow_.get()));
  forms_.back()->applyHintTiming(hintPauseMs_, hintHideMs_);
}

FormWindow* Win32Platform::windowOf(const ui::Form& form) const {
  for (const auto& f : forms_)
    if (&f->form() == &form) return f.get();
  return nullptr;
}

void Win32Platform::setMainForm(ui::Form& form, platform::ShellEvents& events) {
  main_ = windowOf(form);
  events_ = &events;
  taskbarCreatedMessage_ = ::RegisterWindowMessageW(L"TaskbarCreated");
  // Started as administrator, the program still hears from the taskbar (a process with fewer
  // rights) that it came back and the icon must be added again.
  if (main_ && taskbarCreatedMessage_)
    ::ChangeWindowMessageFilterEx(main_->hwnd(), taskbarCreatedMessage_, MSGFLT_ALLOW, nullptr);
}

void Win32Platform::showNoActivate(ui::Form& form) {
  if (FormWindow* f = windowOf(form)) f->showNoActivate();
}

platform::WindowHandle Win32Platform::handleOf(const ui::Form& form) const {
  FormWindow* f = windowOf(form);
  return f ? reinterpret_cast<platform::WindowHandle>(f->hwnd()) : 0;
}

HWND Win32Platform::mainHwnd() const {
  return main_ ? main_->hwnd() : nullptr;
}

void Win32Platform::popupMenu(ui::PopupMenu& menu, platform::Point at) {
  // The icon's menu belongs to the hidden application window, not to a form: under Wine the
  // focus the panel loses to the icon's click is reported late, and ends a menu the panel owns.
  showMenu(menu, POINT{at.x, at.y}, appWindow_ ? appWindow_.get() : mainHwnd());
}

void Win32Platform::showMenu(ui::PopupMenu& menu, POINT at, HWND owner) {
  UniqueMenu native(::CreatePopupMenu());
  if (!native) return;
  const std::vector<ui::MenuItem*> items = menu.items;
  for (std::size_t i = 0; i < items.size(); ++i) {
    const ui::MenuItem& item = *items[i];
    if (!item.visible()) continue;
    if (item.caption().bytes() == "-") {
      ::AppendMenuW(native.get(), MF_SEPARATOR, 0, nullptr);
      continue;
    }
    ::AppendMenuW(native.get(), MF_STRING | (item.enabled() ? 0u : MF_GRAYED), i + 1,
                  textToWide(item.caption()).c_str());
  }
  // A menu closes on a click elsewhere only when its owner is the foreground window; the message
  // posted after it lets the next menu stay open (a notification icon's menu shown twice from a
  // foreground window would otherwise close at once).
  ::SetForegroundWindow(owner);
  const int chosen = static_cast<int>(::TrackPopupMenu(
      native.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, 0, owner, nullptr));
  ::PostMessageW(owner, WM_NULL, 0, 0);
  if (chosen > 0 && static_cast<std::size_t>(chosen) <= items.size())
    items[static_cast<std::size_t>(chosen) - 1]->userClick();
}

platform::Point Win32Platform::clientToScreen(const ui::Control& control, platform::Point p) const {
  for (const auto& f : forms_) {
    HWND w = nullptr;
    if (&control == &f->form())
      w = f->hwnd();
    else if (const NativeControl* nc = f->find(control))
      w = nc->hwnd;
    if (!w) continue;
    POINT pt{scaleToDpi(p.x, f->dpi()), scaleToDpi(p.y, f->dpi())};
    ::ClientToScreen(w, &pt);
    return {pt.x, pt.y};
  }
  return p;
}

int Win32Platform::screenWidth() const {
  return ::GetSystemMetrics(SM_CXSCREEN);
}

int Win32Platform::layoutPixels(const ui::Form& form, int units) const {
  const FormWindow* f = windowOf(form);
  return scaleToDpi(units, f ? f->dpi() : ::GetDpiForSystem());
}

void Win32Platform::setHintTiming(int pauseMs, int hideMs) {
  hintPauseMs_ = pauseMs;
  hintHideMs_ = hideMs;
  for (auto& f : forms_)
    f->applyHintTiming(pauseMs, hideMs);
}

// --- foreground, pointer, windows ---

platform::WindowHandle Win32Platform::foregroundWindow() const {
  return reinterpret_cast<platform::WindowHandle>(::GetForegroundWindow());
}

void Win32Platform::setForegroundWindow(platform::WindowHandle w) {
  for (const auto& f : forms_)
    if (reinterpret_cast<platform::WindowHandle>(f->hwnd()) == w) f->allowActivation();
  ::SetForegroundWindow(reinterpret_cast<HWND>(w));
}

platform::Point Win32Platform::cursorPos() const {
  POINT p{};
  ::GetCursorPos(&p);
  return {p.x, p.y};
}

void Win32Platform::setCursorPos(platform::Point p) {
  ::SetCursorPos(p.x, p.y);
}

platform::CursorShape Win32Platform::cursorShape() const {
  // The global cursor, not just our thread's: the pointer is usually over another program.
  CURSORINFO info{};
  info.cbSize = sizeof(info);
  if (!::GetCursorInfo(&info) || !info.hCursor) return platform::CursorShape::None;
  if (info.hCursor == ::LoadCursorW(nullptr, IDC_IBEAM)) return platform::CursorShape::IBeam;
  return platform::CursorShape::Other;
}

platform::Rect Win32Platform::windowRect(platform::WindowHandle w) const {
  RECT r{};
  ::GetWindowRect(reinterpret_cast<HWND>(w), &r);
  return {r.left, r.top, r.right, r.bottom};
}

bool Win32Platform::ownWindowAt(platform::Point p) const {
  return ownWindow(::WindowFromPoint(POINT{p.x, p.y}));
}

}  // namespace win32
