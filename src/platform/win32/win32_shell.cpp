// The shell: the single instance, messages to the user, the notification icon, the hotkey, and
// what the system tells the main window (power, the end of the session, the activation).

#include "platform/win32/win32_platform.h"

#include "platform/win32/win32_internal.h"

#include <commctrl.h>
#include <shellapi.h>

#include <string_view>

namespace win32 {

namespace {

constexpr UINT kTrayCallback = WM_USER + 100;
constexpr UINT kTrayId = 1;
// At logon the taskbar may not be there yet, or too busy to answer: the icon is asked for again
// at this pace until it is in place.
constexpr UINT_PTR kTrayRetryTimer = 0x4B58;
constexpr UINT kTrayRetryMs = 1000;

// How often the program looks whether the task bar still holds the foreground after it took the
// activation: a click on the notification icon may still be on its way.
constexpr UINT kTrayClickMs = 400;

DWORD taskbarProcess() {
  HWND taskbar = ::FindWindowW(L"Shell_TrayWnd", nullptr);
  DWORD process = 0;
  if (!taskbar || !::GetWindowThreadProcessId(taskbar, &process)) return 0;
  return process;
}

// The activation went to the process of the task bar (window class "Shell_TrayWnd"), which shows
// the notification area. The thread that took it is given with WM_ACTIVATEAPP; where it is not
// (Wine gives 0), the new foreground window tells.
bool activationWentToTaskbar(DWORD thread) {
  const DWORD taskbar = taskbarProcess();
  if (!taskbar) return false;
  DWORD process = 0;
  if (thread) {
    UniqueHandle handle(::OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, thread));
    if (handle) process = ::GetProcessIdOfThread(handle.get());
  } else if (HWND foreground = ::GetForegroundWindow()) {
    ::GetWindowThreadProcessId(foreground, &process);
  }
  return process == taskbar;
}

// The activation left the program for no window yet: told no thread (Wine gives 0), the foreground
// is nobody's or the desktop's. Wine passes it there for a moment on its way to another program's
// window, for instance at a click in its notification area, where the task bar's window follows.
bool activationUndecided(DWORD thread) {
  if (thread) return false;
  HWND foreground = ::GetForegroundWindow();
  return !foreground || foreground == ::GetDesktopWindow();
}

std::wstring moduleBaseName() {
  wchar_t path[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring name = path;
  if (auto slash = name.find_last_of(L"\\/"); slash != std::wstring::npos) name.erase(0, slash + 1);
  if (auto dot = name.rfind(L'.'); dot != std::wstring::npos) name.erase(dot);
  return name;
}

}  // namespace

bool taskbarHoldsForeground() {
  HWND foreground = ::GetForegroundWindow();
  if (!foreground || foreground == ::GetShellWindow() || foreground == ::GetDesktopWindow())
    return false;
  // The shell's process also shows the desktop: a click there turns away from the program.
  wchar_t cls[32] = {};
  ::GetClassNameW(foreground, cls, 32);
  if (std::wstring_view(cls) == L"WorkerW" || std::wstring_view(cls) == L"Progman") return false;
  DWORD process = 0;
  ::GetWindowThreadProcessId(foreground, &process);
  return process != 0 && process == taskbarProcess();
}

// --- single instance ---

bool Win32Platform::acquireInstanceMutex(std::string_view name) {
  instanceMutex_.reset(::CreateMutexW(nullptr, FALSE, ansiToWide(name).c_str()));
  const DWORD error = ::GetLastError();
  return error != ERROR_ALREADY_EXISTS && error != ERROR_ACCESS_DENIED;
}

// --- messages to the user ---

namespace {
HWND dialogOwner() {
  HWND active = ::GetActiveWindow();
  return active && ::IsWindowVisible(active) ? active : nullptr;
}
}  // namespace

void Win32Platform::messageBox(std::string_view text) {
  const std::wstring title = appWindow_ ? windowText(appWindow_.get()) : moduleBaseName();
  HWND owner = dialogOwner();
  ::MessageBoxW(owner, ansiToWide(text).c_str(), title.c_str(),
                MB_OK | (owner ? 0u : MB_SETFOREGROUND | MB_TOPMOST));
}

bool Win32Platform::confirm(std::string_view text) {
  const std::wstring title = appWindow_ ? windowText(appWindow_.get()) : moduleBaseName();
  const std::wstring content = ansiToWide(text);
  HWND owner = dialogOwner();
  // A task dialog offers exactly Yes and Cancel; Esc and the close box answer Cancel.
  using TaskDialogFn = HRESULT(WINAPI*)(const TASKDIALOGCONFIG*, int*, int*, BOOL*);
  HMODULE comctl = ::GetModuleHandleW(L"comctl32.dll");
  auto taskDialog = comctl ? reinterpret_cast<TaskDialogFn>(reinterpret_cast<void*>(
                                 ::GetProcAddress(comctl, "TaskDialogIndirect")))
                           : nullptr;
  if (taskDialog) {
    TASKDIALOGCONFIG config{};
    config.cbSize = sizeof(config);
    config.hwndParent = owner;
    config.hInstance = instance_;
    config.dwFlags = TDF_USE_HICON_MAIN | TDF_ALLOW_DIALOG_CANCELLATION |
                     (owner ? TDF_POSITION_RELATIVE_TO_WINDOW : 0);
    config.dwCommonButtons = TDCBF_YES_BUTTON | TDCBF_CANCEL_BUTTON;
    config.pszWindowTitle = title.c_str();
    config.hMainIcon = ::LoadIconW(nullptr, IDI_QUESTION);
    config.pszContent = content.c_str();
    config.nDefaultButton = IDYES;
    int button = 0;
    if (SUCCEEDED(taskDialog(&config, &button, nullptr, nullptr))) return button == IDYES;
  }
  // Without task dialogs: Yes and No, where only Yes confirms.
  return ::MessageBoxW(owner, content.c_str(), title.c_str(), MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void Win32Platform::showError(std::string_view text) {
  // The box's own message loop goes on running timers: one that fails again while the box
  // shows adds no second box.
  if (errorShowing_) return;
  const std::wstring title = appWindow_ ? windowText(appWindow_.get()) : moduleBaseName();
  const std::wstring message = ansiToWide(text);
  HWND owner = dialogOwner();
  errorShowing_ = true;
  ::MessageBoxW(owner, message.c_str(), title.c_str(),
                MB_OK | MB_ICONERROR | (owner ? 0u : MB_SETFOREGROUND | MB_TOPMOST));
  errorShowing_ = false;
}

// --- main-window messages ---

bool Win32Platform::handleApplicationMessage(const FormWindow& f, UINT msg, WPARAM wParam,
                                             LPARAM lParam, LRESULT& result) {
  if (&f != main_ || !events_) return false;
  HWND m = mainHwnd();
  result = 0;
  switch (msg) {
    case ClipboardReader::kResultMessage:
      deliverClipboardReads();
      return true;
    case WM_HOTKEY:
      platform::runHandler(*this, [this] { events_->hotKey(); });
      return true;
    case kTrayCallback: {
      const int mouse = static_cast<int>(LOWORD(lParam));
      // A click on the icon: the notification area took the activation for it, not from the
      // program (see WM_ACTIVATEAPP).
      if (appWindow_ && mouse != WM_MOUSEMOVE) ::KillTimer(appWindow_.get(), kDeactivationTimer);
      platform::runHandler(*this, [this, mouse] { events_->trayIcon(mouse); });
      return true;
    }
    case WM_NCLBUTTONDOWN: {
      bool withDefault = false;
      const int hit = static_cast<int>(wParam);
      platform::runHandler(*this, [&] { withDefault = events_->ncLButtonDown(hit); });
      if (withDefault) result = ::DefWindowProcW(m, msg, wParam, lParam);
      return true;
    }
    case WM_NCLBUTTONDBLCLK: {
      const int hit = static_cast<int>(wParam);
      platform::runHandler(*this, [&] { events_->ncLButtonDblClk(hit); });
      result = ::DefWindowProcW(m, msg, wParam, lParam);
      return true;
    }
    case WM_POWERBROADCAST: {
      result = ::DefWindowProcW(m, msg, wParam, lParam);
      const int event = static_cast<int>(wParam);
      platform::runHandler(*this, [&] { events_->powerBroadcast(event); });
      return true;
    }
    case WM_QUERYENDSESSION:
      // The session may end: saving waits for WM_ENDSESSION, which tells that it really does.
      result = TRUE;
      return true;
    case WM_ENDSESSION:
      if (wParam) platform::runHandler(*this, [this] { events_->endSession(); });
      return true;
    case WM_ACTIVATEAPP:
      if (wParam) {
        if (appWindow_) ::KillTimer(appWindow_.get(), kDeactivationTimer);
      } else if (appWindow_ && (activationWentToTaskbar(static_cast<DWORD>(lParam)) ||
                                activationUndecided(static_cast<DWORD>(lParam)))) {
        // A click in the notification area takes the activation, also one on the program's own
        // icon: whether the program lost it is known once that click arrives or not. Where the
        // activation went is looked at again then too.
        ::SetTimer(appWindow_.get(), kDeactivationTimer, kTrayClickMs, nullptr);
      } else {
        platform::runHandler(*this, [this] { events_->applicationDeactivate(); });
      }
      return false;
    case InputHook::kEventMessage:
      // One at a time: a handler that ends the run stops the rest, and a nested message loop
      // inside a handler goes on with the next event rather than overtaking it.
      while (inputHookWanted_) {
        const std::optional<platform::InputEvent> e = inputHook_.next();
        if (!e) break;
        platform::runHandler(*this, [this, &e] { events_->inputEvent(*e); });
      }
      return true;
    case WM_TIMER:
      if (wParam != kTrayRetryTimer) return false;
      tryAddTrayIcon();
      return true;
    default:
      if (taskbarCreatedMessage_ && msg == taskbarCreatedMessage_ && trayWanted_) {
        trayAdded_ = false;
        tryAddTrayIcon();
      }
      return false;
  }
}

// --- hotkey and tray icon ---

void Win32Platform::registerHotkey() {
  HWND m = mainHwnd();
  if (!m) return;
  if (!hotkeyAtom_) hotkeyAtom_.reset(::GlobalAddAtomW(L"Myhotkey1"));
  // Once per press: held down, the keyboard's repeat would run the whole summoning again and
  // again.
  hotkeyRegistered_ = ::RegisterHotKey(m, hotkeyAtom_.get(), MOD_CONTROL | MOD_SHIFT | MOD_NOREPEAT,
                                       VK_SHIFT) != FALSE;
}

void Win32Platform::unregisterHotkey() {
  if (HWND m = mainHwnd(); m && hotkeyAtom_) ::UnregisterHotKey(m, hotkeyAtom_.get());
  hotkeyRegistered_ = false;
}

void Win32Platform::addTrayIcon(std::string_view tip) {
  HWND m = mainHwnd();
  if (!m) return;
  if (!trayIcon_)
    trayIcon_.reset(static_cast<HICON>(
        ::LoadImageW(instance_, MAKEINTRESOURCEW(1), IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                     ::GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR)));
  trayTip_ = ansiToWide(tip);
  trayWanted_ = true;
  tryAddTrayIcon();
}

void Win32Platform::tryAddTrayIcon() {
  HWND m = mainHwnd();
  if (!m) return;
  if (!trayWanted_ || trayAdded_) {
    ::KillTimer(m, kTrayRetryTimer);
    return;
  }
  NOTIFYICONDATAW nid{};
  nid.cbSize = sizeof(nid);
  nid.hWnd = m;
  nid.uID = kTrayId;
  nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  nid.uCallbackMessage = kTrayCallback;
  nid.hIcon = trayIcon_.get();
  trayTip_.copy(nid.szTip, std::size(nid.szTip) - 1);
  // An add that timed out may still have arrived: then the icon is there to be modified.
  trayAdded_ = ::Shell_NotifyIconW(NIM_ADD, &nid) || ::Shell_NotifyIconW(NIM_MODIFY, &nid);
  if (trayAdded_)
    ::KillTimer(m, kTrayRetryTimer);
  else
    ::SetTimer(m, kTrayRetryTimer, kTrayRetryMs, nullptr);
}

void Win32Platform::removeTrayIcon() {
  trayWanted_ = false;
  HWND m = mainHwnd();
  if (!m) return;
  ::KillTimer(m, kTrayRetryTimer);
  NOTIFYICONDATAW nid{};
  nid.cbSize = sizeof(nid);
  nid.hWnd = m;
  nid.uID = kTrayId;
  ::Shell_NotifyIconW(NIM_DELETE, &nid);
  trayAdded_ = false;
}

// --- the session ---

void Win32Platform::setUnsavedReason(std::string_view reason) {
  const HWND w = mainHwnd();
  if (!w) return;
  if (reason.empty()) {
    if (unsavedReasonShown_) ::ShutdownBlockReasonDestroy(w);
    unsavedReasonShown_ = false;
    return;
  }
  unsavedReasonShown_ = ::ShutdownBlockReasonCreate(w, ansiToWide(reason).c_str()) != FALSE;
}

}  // namespace win32
