#include "platform/win32/win32_platform.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cstring>

namespace win32 {

namespace {

constexpr wchar_t kApplicationClass[] = L"TApplication";
constexpr UINT kTrayCallback = WM_USER + 100;
constexpr UINT kTrayId = 1;
// At logon the taskbar may not be there yet, or too busy to answer: the icon is asked for again
// at this pace until it is in place.
constexpr UINT_PTR kTrayRetryTimer = 0x4B58;
constexpr UINT kTrayRetryMs = 1000;
// Posted to the application window: pass its activation on to the form the user works in.
constexpr UINT kForwardActivation = WM_APP + 30;
// On the application window: the activation went to the notification area and has not come back.
constexpr UINT_PTR kDeactivationTimer = 1;
// A click on the notification icon reaches the program this soon after the notification area
// took the activation for it.
constexpr UINT kTrayClickMs = 400;

void freeGlobal(HGLOBAL g) {
  ::GlobalFree(g);
}
using GlobalMemory = Owned<HGLOBAL, freeGlobal>;

// Keeps the clipboard open for one operation, with our own window as the opener.
class ClipboardSession {
 public:
  ClipboardSession(HWND owner, const platform::Platform& p) {
    // Held for a moment is not held: wait (the UI thread blocks, as in Sleep) before giving up.
    const ULONGLONG deadline = ::GetTickCount64() + platform::kClipboardOpenWaitMs;
    while (!::OpenClipboard(owner)) {
      if (::GetTickCount64() >= deadline)
        throw platform::Error(p.fromUtf8("クリップボードを開くことができません"));
      ::Sleep(platform::kClipboardOpenRetryMs);
    }
  }
  ClipboardSession(const ClipboardSession&) = delete;
  ClipboardSession& operator=(const ClipboardSession&) = delete;
  ~ClipboardSession() { ::CloseClipboard(); }
};

bool isExtendedKey(int vk) {
  switch (vk) {
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
    case VK_DELETE:
    case VK_INSERT:
    case VK_HOME:
    case VK_END:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_RCONTROL:
    case VK_RMENU:
      return true;
    default:
      return false;
  }
}

bool ownWindow(HWND w) {
  DWORD process = 0;
  if (w) ::GetWindowThreadProcessId(w, &process);
  return w && process == ::GetCurrentProcessId();
}

// The activation went to the process of the task bar (window class "Shell_TrayWnd"), which shows
// the notification area. The thread that took it is given with WM_ACTIVATEAPP; where it is not
// (Wine gives 0), the new foreground window tells.
bool activationWentToTaskbar(DWORD thread) {
  HWND taskbar = ::FindWindowW(L"Shell_TrayWnd", nullptr);
  DWORD taskbarProcess = 0;
  if (!taskbar || !::GetWindowThreadProcessId(taskbar, &taskbarProcess)) return false;
  DWORD process = 0;
  if (thread) {
    UniqueHandle handle(::OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, thread));
    if (handle) process = ::GetProcessIdOfThread(handle.get());
  } else if (HWND foreground = ::GetForegroundWindow()) {
    ::GetWindowThreadProcessId(foreground, &process);
  }
  return process == taskbarProcess;
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

Win32Platform::Win32Platform(HINSTANCE instance) : instance_(instance) {
  INITCOMMONCONTROLSEX icc{};
  icc.dwSize = sizeof(icc);
  icc.dwICC = ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES;
  ::InitCommonControlsEx(&icc);
  for (int b = 0; b < 256; ++b)
    leadBytes_[static_cast<std::size_t>(b)] = isLeadByte(static_cast<unsigned char>(b));
  cutMark_ = fromUtf8("…");
}

Win32Platform::~Win32Platform() {
  // The model is gone by now: no window may call into it while the windows are destroyed.
  inputHook_.stop();
  clipboardReader_.stop();
  if (appWindow_) ::KillTimer(appWindow_.get(), kDeactivationTimer);
  for (auto& f : forms_)
    f->detach();
  if (listening_ && mainHwnd()) ::RemoveClipboardFormatListener(mainHwnd());
  if (hotkeyRegistered_ && mainHwnd()) ::UnregisterHotKey(mainHwnd(), hotkeyAtom_.get());
  if (trayAdded_) removeTrayIcon();
  forms_.clear();
}

// --- code page ---

std::string Win32Platform::decode(std::string_view bytes) const {
  return wideToUtf8(ansiToWide(bytes));
}

std::string Win32Platform::encode(std::string_view utf8) const {
  return wideToAnsi(utf8ToWide(utf8));
}

bool Win32Platform::isLeadByte(unsigned char byte) const {
  return ::IsDBCSLeadByteEx(kModelCodePage, byte) != FALSE;
}

// --- single instance and application window ---

bool Win32Platform::acquireInstanceMutex(std::string_view name) {
  instanceMutex_.reset(::CreateMutexW(nullptr, FALSE, ansiToWide(name).c_str()));
  const DWORD error = ::GetLastError();
  return error != ERROR_ALREADY_EXISTS && error != ERROR_ACCESS_DENIED;
}

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
    if (target && ::IsWindowVisible(target->hwnd())) ::SetForegroundWindow(target->hwnd());
    return 0;
  }
  if (self && msg == WM_TIMER && wParam == kDeactivationTimer) {
    // No click on the icon followed: the user turned to the task bar, away from the program.
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

void Win32Platform::run() {
  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (preTranslateKey(msg)) continue;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

bool Win32Platform::preTranslateKey(MSG& msg) {
  // Keys go to the model (key preview, the field's handlers) before the control sees them.
  if (msg.message != WM_KEYDOWN && msg.message != WM_KEYUP && msg.message != WM_CHAR) return false;
  HWND root = ::GetAncestor(msg.hwnd, GA_ROOT);
  for (auto& f : forms_)
    if (f->hwnd() == root) return f->preTranslateKey(msg, f->find(msg.hwnd));
  return false;
}

void Win32Platform::quit() {
  ::PostQuitMessage(0);
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

// --- clipboard ---

HWND Win32Platform::clipboardOwnerWindow() const {
  // A real window: the system lets two openers without a window hold the clipboard at once.
  if (HWND m = mainHwnd()) return m;
  return appWindow_.get();
}

namespace {
UINT registeredFormat(const char* name) {
  return ::RegisterClipboardFormatA(name);
}
}  // namespace

namespace {

// ja-JP: the locale whose code page (932) the CF_TEXT bytes the program writes are in.
constexpr LCID kModelLocale =
    MAKELCID(MAKELANGID(LANG_JAPANESE, SUBLANG_JAPANESE_JAPAN), SORT_DEFAULT);

// Puts a copy of size bytes on the open clipboard in the format.
void setClipboardBytes(UINT format, const void* data, std::size_t size) {
  GlobalMemory memory(::GlobalAlloc(GMEM_MOVEABLE, size));
  if (!memory) throw std::bad_alloc();
  {
    GlobalLock lock(memory.get());
    if (!lock.data()) throw std::bad_alloc();
    std::memcpy(lock.data(), data, size);
  }
  // The clipboard owns the memory once it has accepted it.
  if (::SetClipboardData(format, memory.get())) memory.release();
}

}  // namespace

ui::Text Win32Platform::textOf(const ClipboardCopy& c) const {
  if (c.privateContent) return {};
  platform::ClipboardFormats f;
  f.ansi = c.ansi;
  f.ansiFirst = c.ansiFirst;
  // A program that writes bytes writes them in the system's code page; the locale the system
  // puts beside them follows the keyboard layout of the moment, so on a code page 932 system it
  // says nothing about them.
  f.ansiIsCp932 = c.localeCodePage == kModelCodePage || ::GetACP() == kModelCodePage;
  std::optional<std::wstring> wide = c.wide;
  if (!wide && f.ansi && !f.ansiIsCp932)
    wide = codePageToWide(c.localeCodePage ? c.localeCodePage : CP_ACP, *f.ansi);
  if (wide) f.unicode = wideToUtf8(*wide);
  return platform::clipboardText(f, *this);
}

void Win32Platform::remember(DWORD sequence, std::optional<ui::Text> text) {
  knownSequence_ = sequence;
  knownText_ = std::move(text);
}

ui::Text Win32Platform::readClipboardText() {
  if (knownText_ && knownSequence_ == ::GetClipboardSequenceNumber()) return *knownText_;
  ClipboardCopy c;
  {
    ClipboardSession session(clipboardOwnerWindow(), *this);
    c = copyOpenClipboard(clipboardOwnerWindow());
  }
  // Converted once the clipboard is closed again.
  ui::Text t = c.state == ClipboardCopy::State::Copied ? textOf(c) : ui::Text{};
  remember(c.sequence, t);
  return t;
}

bool Win32Platform::clipboardHasText() {
  if (knownText_ && knownSequence_ == ::GetClipboardSequenceNumber()) return !knownText_->empty();
  if (!::IsClipboardFormatAvailable(CF_UNICODETEXT) && !::IsClipboardFormatAvailable(CF_TEXT))
    return false;
  static const UINT exclude = registeredFormat(platform::kExcludeFromMonitorFormat);
  static const UINT ignore = registeredFormat(platform::kViewerIgnoreFormat);
  static const UINT permission = registeredFormat(platform::kHistoryPermissionFormat);
  if ((exclude && ::IsClipboardFormatAvailable(exclude)) ||
      (ignore && ::IsClipboardFormatAvailable(ignore)))
    return false;
  // A history permission says yes or no only in its value: such a content counts as private
  // until it has been read.
  return !(permission && ::IsClipboardFormatAvailable(permission)) ||
         ::GetClipboardOwner() == clipboardOwnerWindow();
}

bool Win32Platform::clipboardReadPending() const {
  return listening_ && ::GetClipboardSequenceNumber() != knownSequence_;
}

void Win32Platform::deliverClipboardReads() {
  while (std::optional<ClipboardCopy> c = clipboardReader_.next()) {
    // Every copy that was read is stored, in order, also when another followed it meanwhile;
    // one the program's own write followed is over: the write has been captured already.
    if (!listening_ || !events_ || static_cast<LONG>(ownSequence_ - c->sequence) > 0) continue;
    platform::ClipboardRead read;
    switch (c->state) {
      case ClipboardCopy::State::Copied:
        read.text = textOf(*c);
        remember(c->sequence, read.text);
        break;
      case ClipboardCopy::State::Held:
        // Not known: a later look may find it free.
        read.outcome = platform::ClipboardRead::Outcome::Held;
        remember(c->sequence, std::nullopt);
        break;
      case ClipboardCopy::State::Failed:
        // Not asked for again: the copying program would make the user wait once more.
        read.outcome = platform::ClipboardRead::Outcome::Failed;
        remember(c->sequence, ui::Text{});
        break;
    }
    platform::runHandler(*this, [this, &read] { events_->clipboardRead(read); });
  }
}

void Win32Platform::writeClipboardText(const ui::Text& text) {
  writeText(text, false);
}

void Win32Platform::writePasteText(const ui::Text& text) {
  writeText(text, true);
}

void Win32Platform::writeText(const ui::Text& text, bool outOfSystemHistory) {
  {
    ClipboardSession session(clipboardOwnerWindow(), *this);
    ::EmptyClipboard();
    // The bytes first: read back, they are the program's own, exactly.
    const std::string& bytes = text.bytes();
    setClipboardBytes(CF_TEXT, bytes.c_str(), bytes.size() + 1);
    const std::wstring wide = textToWide(text);
    setClipboardBytes(CF_UNICODETEXT, wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
    // Without it the system would take the bytes for the keyboard layout's code page when it
    // gives them to a Unicode program.
    const LCID locale = kModelLocale;
    setClipboardBytes(CF_LOCALE, &locale, sizeof locale);
    if (outOfSystemHistory) {
      static const UINT history = registeredFormat(platform::kHistoryPermissionFormat);
      static const UINT cloud = registeredFormat(platform::kCloudPermissionFormat);
      const DWORD no = 0;
      if (history) setClipboardBytes(history, &no, sizeof no);
      if (cloud) setClipboardBytes(cloud, &no, sizeof no);
    }
  }
  notifyOwnClipboardChange();
}

void Win32Platform::clearClipboard() {
  {
    ClipboardSession session(clipboardOwnerWindow(), *this);
    ::EmptyClipboard();
  }
  notifyOwnClipboardChange();
}

void Win32Platform::notifyOwnClipboardChange() {
  // Our own change reaches the capture now, nested in the write; the listener notification the
  // system posts for it later is recognised by its sequence number and dropped.
  seenClipboardSequence_ = ownSequence_ = ::GetClipboardSequenceNumber();
  if (listening_ && events_) platform::runHandler(*this, [this] { events_->drawClipboard(); });
}

void Win32Platform::startClipboardListening() {
  HWND m = mainHwnd();
  if (!m) return;
  if (!listening_) ::AddClipboardFormatListener(m);
  listening_ = true;
  seenClipboardSequence_ = ::GetClipboardSequenceNumber();
  if (events_) platform::runHandler(*this, [this] { events_->drawClipboard(); });
}

void Win32Platform::renewClipboardListening() {
  HWND m = mainHwnd();
  if (!m) return;
  // Removing first keeps the registration single whatever state it was in.
  ::RemoveClipboardFormatListener(m);
  ::AddClipboardFormatListener(m);
  listening_ = true;
}

void Win32Platform::stopClipboardListening() {
  if (HWND m = mainHwnd(); m && listening_) ::RemoveClipboardFormatListener(m);
  listening_ = false;
}

// --- main-window messages ---

void Win32Platform::runHandler(const std::function<void()>& handler) {
  platform::runHandler(*this, handler);
}

bool Win32Platform::handleApplicationMessage(const FormWindow& f, UINT msg, WPARAM wParam,
                                             LPARAM lParam, LRESULT& result) {
  if (&f != main_ || !events_) return false;
  HWND m = mainHwnd();
  result = 0;
  switch (msg) {
    case WM_CLIPBOARDUPDATE: {
      const DWORD sequence = ::GetClipboardSequenceNumber();
      if (listening_ && sequence != seenClipboardSequence_) {
        seenClipboardSequence_ = sequence;
        // Read off this thread: a source that renders late must not freeze the panel.
        clipboardReader_.start(m, clipboardOwnerWindow());
        clipboardReader_.request(sequence);
      }
      return true;
    }
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
      } else if (appWindow_ && activationWentToTaskbar(static_cast<DWORD>(lParam))) {
        // A click in the notification area takes the activation, also one on the program's own
        // icon: whether the program lost it is known once that click arrives or not.
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

// --- foreground, pointer, windows ---

platform::WindowHandle Win32Platform::foregroundWindow() const {
  return reinterpret_cast<platform::WindowHandle>(::GetForegroundWindow());
}

void Win32Platform::setForegroundWindow(platform::WindowHandle w) {
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

// --- input hook and synthetic keys ---

void Win32Platform::installInputHook() {
  HWND m = mainHwnd();
  if (!m) return;
  inputHookWanted_ = true;
  inputHook_.install(m);
}

void Win32Platform::removeInputHook() {
  inputHookWanted_ = false;
  inputHook_.stop();
}

void Win32Platform::sendKey(int vk, bool up) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = static_cast<WORD>(vk);
  in.ki.wScan = static_cast<WORD>(::MapVirtualKeyW(static_cast<UINT>(vk), MAPVK_VK_TO_VSC));
  in.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0u) | (isExtendedKey(vk) ? KEYEVENTF_EXTENDEDKEY : 0u);
  ::SendInput(1, &in, sizeof(in));
}

void Win32Platform::sleep(int ms) {
  ::Sleep(static_cast<DWORD>(std::max(0, ms)));
}

// --- files ---

bool Win32Platform::fileExists(std::string_view name) const {
  const DWORD attributes = ::GetFileAttributesW(ansiToWide(name).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

namespace {
// The errors of a file another program holds for a moment (a scanner, an indexer, a sync
// client): worth waiting for. Anything else (a folder that cannot be written, a full or vanished
// volume, an access that stays denied) fails at once.
bool heldForAMoment(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
         error == ERROR_USER_MAPPED_FILE;
}

// The time one file operation may spend waiting for a file another program holds for a moment.
class FileBusyWait {
 public:
  explicit FileBusyWait(bool waits) : waits_(waits) {}
  // After a step failed with `error`: true, after a pause, while trying it again is worthwhile.
  bool again(DWORD error) const { return again(error, heldForAMoment(error)); }
  bool again(DWORD, bool held) const {
    if (!held || !waits_ || ::GetTickCount64() >= deadline_) return false;
    ::Sleep(platform::kFileBusyRetryMs);
    return true;
  }

 private:
  bool waits_;
  ULONGLONG deadline_ = ::GetTickCount64() + platform::kFileBusyWaitMs;
};
}  // namespace

std::optional<std::string> Win32Platform::readFile(std::string_view name) {
  // Other readers may share the file; a writer may not change it under us.
  const std::wstring path = ansiToWide(name);
  auto open = [&path] {
    return fileHandle(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  };
  const FileBusyWait wait(waitForHeldFiles_);
  UniqueHandle file = open();
  // Reading an existing file, an access denied is a file being replaced or deleted by another
  // program (or by one that was just ended, whose handles the system is still closing): it passes.
  while (!file) {
    const DWORD error = ::GetLastError();
    if (!wait.again(error, heldForAMoment(error) || error == ERROR_ACCESS_DENIED)) break;
    file = open();
  }
  if (!file) return std::nullopt;
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 || size.QuadPart > 0x7FFFFFFF)
    return std::nullopt;
  std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
  std::size_t done = 0;
  while (done < bytes.size()) {
    DWORD got = 0;
    if (!::ReadFile(file.get(), bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &got,
                    nullptr))
      return std::nullopt;
    if (got == 0) break;
    done += got;
  }
  bytes.resize(done);
  return bytes;
}

namespace {
// Where a save writes before it replaces the file; a kill between the two leaves it behind.
std::wstring temporaryNameFor(const std::wstring& target) {
  return target + L".tmp";
}

// Puts the complete temporary file in the target's place, waiting while the target is held.
bool replaceWhenFree(const std::wstring& temporary, const std::wstring& target,
                     const FileBusyWait& wait) {
  auto move = [&] {
    return ::MoveFileExW(temporary.c_str(), target.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
  };
  bool moved = move();
  while (!moved) {
    const DWORD error = ::GetLastError();
    // The temporary file was made in this folder, so a refused replace is the target's: open
    // elsewhere without sharing its deletion, or being deleted. A read-only target stays so.
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    const bool held = heldForAMoment(error) ||
                      (error == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES &&
                       !(attributes & FILE_ATTRIBUTE_READONLY));
    if (!wait.again(error, held)) {
      ::SetLastError(error);
      return false;
    }
    moved = move();
  }
  return true;
}

// A new temporary file for a save. One left over by an interrupted save is removed first; if it
// cannot be, nothing is written through it (it may be a second name of another slot's file).
UniqueHandle createTemporary(const std::wstring& temporary, const FileBusyWait& wait) {
  ::DeleteFileW(temporary.c_str());
  auto create = [&temporary] {
    return fileHandle(::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  };
  UniqueHandle file = create();
  while (!file && wait.again(::GetLastError()))
    file = create();
  return file;
}
}  // namespace

platform::FileError Win32Platform::cannotWrite(std::string_view name, DWORD error) const {
  std::string message = fromUtf8("ファイル ");
  message.append(name);
  message.append(fromUtf8(" に書き込むことができません"));
  message.append("\r\n");
  if (error == ERROR_FILE_EXISTS) {
    // The save's temporary file of an earlier, interrupted save is still there.
    message.append(fromUtf8("一時ファイル "));
    message.append(name);
    message.append(fromUtf8(".tmp を削除できません"));
    return platform::FileError(message);
  }
  wchar_t* text = nullptr;
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  if (length && text) {
    std::wstring reason(text, length);
    ::LocalFree(text);
    while (!reason.empty() && (reason.back() == L'\r' || reason.back() == L'\n'))
      reason.pop_back();
    message.append(wideToAnsi(reason));
  }
  return platform::FileError(message);
}

void Win32Platform::noteNoLinks() {
  links_ = false;
}

bool Win32Platform::linksFiles() {
  wchar_t folder[MAX_PATH + 1] = {};
  const DWORD n = ::GetCurrentDirectoryW(MAX_PATH + 1, folder);
  const std::wstring current(folder, n <= MAX_PATH ? n : 0);
  if (current.empty() || current == linksFolder_) return links_;
  linksFolder_ = current;
  // Asked once per folder: FAT and exFAT never link files. A volume that does not say (a share,
  // an older file system driver) is taken to link until it refuses a link.
  wchar_t volume[MAX_PATH + 1] = {};
  wchar_t system[MAX_PATH + 1] = {};
  DWORD flags = 0;
  links_ = true;
  if (::GetVolumePathNameW(current.c_str(), volume, MAX_PATH + 1) &&
      ::GetVolumeInformationW(volume, nullptr, 0, nullptr, nullptr, &flags, system, MAX_PATH + 1)) {
    const std::wstring name = system;
    if (!(flags & FILE_SUPPORTS_HARD_LINKS) &&
        (name == L"FAT" || name == L"FAT32" || name == L"exFAT" || name == L"vfat"))
      links_ = false;
  }
  return links_;
}

void Win32Platform::writeFile(std::string_view name, std::string_view bytes) {
  const std::wstring target = ansiToWide(name);
  const std::wstring temporary = temporaryNameFor(target);
  const FileBusyWait wait(waitForHeldFiles_);
  DWORD error = ERROR_SUCCESS;
  bool written = false;
  {
    UniqueHandle file = createTemporary(temporary, wait);
    if (!file) error = ::GetLastError();
    if (file) {
      std::size_t done = 0;
      while (done < bytes.size()) {
        DWORD wrote = 0;
        if (!::WriteFile(file.get(), bytes.data() + done, static_cast<DWORD>(bytes.size() - done),
                         &wrote, nullptr) ||
            wrote == 0)
          break;
        done += wrote;
      }
      // The new bytes are on the disk before they replace the old file.
      written = done == bytes.size() && ::FlushFileBuffers(file.get());
      if (!written) error = ::GetLastError();
    }
  }
  if (written && replaceWhenFree(temporary, target, wait)) return;
  if (written) error = ::GetLastError();
  // A temporary that was there before this save (error ERROR_FILE_EXISTS) is not this save's.
  if (error != ERROR_FILE_EXISTS) ::DeleteFileW(temporary.c_str());
  throw cannotWrite(name, error);
}

void Win32Platform::replaceFileWithCopyOf(std::string_view targetName,
                                          std::string_view sourceName) {
  const std::wstring target = ansiToWide(targetName);
  const std::wstring source = ansiToWide(sourceName);
  const std::wstring temporary = temporaryNameFor(target);
  const FileBusyWait wait(waitForHeldFiles_);
  bool ready = false;
  DWORD error = ERROR_SUCCESS;
  if (linksFiles()) {
    // A second name for the source's bytes costs nothing, whatever their size. A temporary
    // file left over by an earlier try is in the way only then.
    auto link = [&] {
      return ::CreateHardLinkW(temporary.c_str(), source.c_str(), nullptr) != FALSE;
    };
    ready = link();
    if (!ready && ::GetLastError() == ERROR_ALREADY_EXISTS && ::DeleteFileW(temporary.c_str()))
      ready = link();
    while (!ready && wait.again(::GetLastError()))
      ready = link();
    error = ready ? ERROR_SUCCESS : ::GetLastError();
    // A volume that refuses links (exFAT answers ERROR_INVALID_FUNCTION, a share on a FAT disk
    // ERROR_ACCESS_DENIED) is not asked again, nor waited for; a folder that cannot be written
    // at all refuses them too, and says so again when a file is made there.
    if (!ready && error != ERROR_ALREADY_EXISTS && !heldForAMoment(error) &&
        ::GetFileAttributesW(source.c_str()) != INVALID_FILE_ATTRIBUTES) {
      if (createTemporary(temporary, wait))
        noteNoLinks();
      else
        error = ::GetLastError();
    }
  }
  if (!ready && !links_) {
    UniqueHandle copy = createTemporary(temporary, wait);
    error = copy ? ERROR_SUCCESS : ::GetLastError();
    copy.reset();
    // FAT and exFAT have no links: the copy must be on the disk before it replaces the target.
    auto copyBytes = [&] { return ::CopyFileW(source.c_str(), temporary.c_str(), FALSE) != FALSE; };
    bool copied = error == ERROR_SUCCESS && copyBytes();
    while (error == ERROR_SUCCESS && !copied && wait.again(::GetLastError()))
      copied = copyBytes();
    if (error == ERROR_SUCCESS && !copied) error = ::GetLastError();
    if (copied) {
      UniqueHandle file = fileHandle(::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr,
                                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
      ready = file && ::FlushFileBuffers(file.get());
      if (!ready) error = ::GetLastError();
    }
  }
  if (ready && replaceWhenFree(temporary, target, wait)) return;
  if (ready) error = ::GetLastError();
  if (error != ERROR_FILE_EXISTS) ::DeleteFileW(temporary.c_str());
  throw cannotWrite(targetName, error);
}

void Win32Platform::moveFile(std::string_view targetName, std::string_view sourceName) {
  const std::wstring target = ansiToWide(targetName);
  const std::wstring source = ansiToWide(sourceName);
  const FileBusyWait wait(waitForHeldFiles_);
  auto move = [&] {
    return ::MoveFileExW(source.c_str(), target.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
  };
  bool moved = move();
  while (!moved && wait.again(::GetLastError()))
    moved = move();
  if (!moved) throw cannotWrite(targetName, ::GetLastError());
}

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

void Win32Platform::discardUnfinishedWrite(std::string_view name) {
  const std::wstring temporary = temporaryNameFor(ansiToWide(name));
  const DWORD attributes = ::GetFileAttributesW(temporary.c_str());
  // Only a plain file of our own naming; a folder or a link of that name is the user's.
  if (attributes == INVALID_FILE_ATTRIBUTES ||
      (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)))
    return;
  ::DeleteFileW(temporary.c_str());
}

bool Win32Platform::removeFile(std::string_view name) {
  const std::wstring path = ansiToWide(name);
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return true;
  if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) return false;
  return ::DeleteFileW(path.c_str()) != FALSE;
}

std::vector<std::string> Win32Platform::listFiles(std::string_view prefix) const {
  std::vector<std::string> names;
  WIN32_FIND_DATAW found{};
  const std::wstring pattern = ansiToWide(prefix) + L"*";
  const UniqueFind search = findHandle(::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found,
                                                          FindExSearchNameMatch, nullptr, 0));
  if (!search) return names;
  do {
    if (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))
      continue;
    // A name the code page cannot say is none of ours.
    const std::wstring name = found.cFileName;
    if (win32::encodable(name)) names.push_back(wideToAnsi(name));
  } while (::FindNextFileW(search.get(), &found));
  return names;
}

}  // namespace win32
