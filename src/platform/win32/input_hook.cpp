#include "platform/win32/input_hook.h"

#include <atomic>

#include "platform/platform.h"

namespace win32 {

namespace {

constexpr UINT kRehook = WM_APP + 1;

// The hook procedures have no context argument; only one hook thread exists at a time.
std::atomic<HWND> g_target{nullptr};

int genericKey(DWORD vk) {
  switch (vk) {
    case VK_LCONTROL:
    case VK_RCONTROL:
      return VK_CONTROL;
    case VK_LSHIFT:
    case VK_RSHIFT:
      return VK_SHIFT;
    case VK_LMENU:
    case VK_RMENU:
      return VK_MENU;
    default:
      return static_cast<int>(vk);
  }
}

void post(platform::InputEvent::Kind kind, int vk) {
  if (HWND target = g_target.load())
    ::PostMessageW(target, InputHook::kEventMessage, static_cast<WPARAM>(kind),
                   static_cast<LPARAM>(vk));
}

LRESULT CALLBACK keyboardProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION) {
    const auto* k = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    using Kind = platform::InputEvent::Kind;
    const bool down = wParam == WM_KEYDOWN || wParam == WM_SYSKEYDOWN;
    post(down ? Kind::KeyDown : Kind::KeyUp, genericKey(k->vkCode));
  }
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK mouseProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION) {
    using Kind = platform::InputEvent::Kind;
    switch (wParam) {
      case WM_LBUTTONDOWN:
        post(Kind::LButtonDown, 0);
        break;
      case WM_LBUTTONUP:
        post(Kind::LButtonUp, 0);
        break;
      default:
        post(Kind::Other, 0);
        break;
    }
  }
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

struct Hooks {
  UniqueHook keyboard;
  UniqueHook mouse;
  void install() {
    keyboard.reset();
    mouse.reset();
    HINSTANCE module = ::GetModuleHandleW(nullptr);
    keyboard.reset(::SetWindowsHookExW(WH_KEYBOARD_LL, keyboardProc, module, 0));
    mouse.reset(::SetWindowsHookExW(WH_MOUSE_LL, mouseProc, module, 0));
  }
};

}  // namespace

void InputHook::install(HWND target) {
  g_target.store(target);
  if (thread_.joinable()) {
    ::PostThreadMessageW(threadId_, kRehook, 0, 0);
    return;
  }
  UniqueHandle ready(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  thread_ = std::thread([this, h = ready.get()] { threadMain(h); });
  // Wait until the thread has a message queue, so that a rehook or quit is never lost.
  ::WaitForSingleObject(ready.get(), INFINITE);
}

void InputHook::stop() {
  if (!thread_.joinable()) return;
  ::PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
  thread_.join();
  threadId_ = 0;
  g_target.store(nullptr);
}

void InputHook::threadMain(HANDLE ready) {
  MSG msg;
  ::PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);  // creates the queue
  threadId_ = ::GetCurrentThreadId();
  Hooks hooks;
  hooks.install();
  ::SetEvent(ready);
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.hwnd == nullptr && msg.message == kRehook) {
      hooks.install();
      continue;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

}  // namespace win32
