// The platform's lifetime, the code page and the message loop. Each concern of the platform
// has its unit beside this one: clipboard, files, windows, input, shell.

#include "platform/win32/win32_platform.h"

#include "platform/win32/win32_internal.h"

#include <commctrl.h>

namespace win32 {

Win32Platform::Win32Platform(HINSTANCE instance) : instance_(instance) {
  INITCOMMONCONTROLSEX icc{};
  icc.dwSize = sizeof(icc);
  icc.dwICC = ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES;
  ::InitCommonControlsEx(&icc);
  for (int b = 0; b < 256; ++b)
    leadBytes_[static_cast<std::size_t>(b)] = isLeadByte(static_cast<unsigned char>(b));
  cutMark_ = encode("…");
}

Win32Platform::~Win32Platform() {
  // The model is gone by now: no window may call into it while the windows are destroyed.
  inputHook_.stop();
  clipboardReader_.stop();
  if (appWindow_) ::KillTimer(appWindow_.get(), kDeactivationTimer);
  for (auto& f : forms_)
    f->detach();
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

// --- message loop ---

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

void Win32Platform::runHandler(const std::function<void()>& handler) {
  platform::runHandler(*this, handler);
}

}  // namespace win32
