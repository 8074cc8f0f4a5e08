#include "platform/win32/input_hook.h"

#include <atomic>
#include <utility>

namespace win32 {

namespace {

constexpr UINT kRehook = WM_APP + 1;

// The hook procedures have no context argument; only one hook thread exists at a time, and only
// it runs the procedures.
struct HookTarget {
  platform::InputEventQueue* queue = nullptr;
  std::atomic<HWND> window{nullptr};
};
HookTarget g_target;

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

void record(platform::InputEvent::Kind kind, int vk) {
  platform::InputEventQueue* queue = g_target.queue;
  HWND window = g_target.window.load();
  if (!queue || !window) return;
  if (queue->push({kind, vk}) && !::PostMessageW(window, InputHook::kEventMessage, 0, 0))
    queue->wakeLost();
}

// While the hooks are renewed the old pair is still installed under the new one, and the new
// procedure passes each event on to the old one on this same thread: only the outermost call
// records it.
int g_depth = 0;  // hook thread only

LRESULT passOn(int code, WPARAM wParam, LPARAM lParam) {
  ++g_depth;
  const LRESULT r = ::CallNextHookEx(nullptr, code, wParam, lParam);
  --g_depth;
  return r;
}

LRESULT CALLBACK keyboardProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && g_depth == 0) {
    const auto* k = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    using Kind = platform::InputEvent::Kind;
    const bool down = wParam == WM_KEYDOWN || wParam == WM_SYSKEYDOWN;
    record(down ? Kind::KeyDown : Kind::KeyUp, genericKey(k->vkCode));
  }
  return passOn(code, wParam, lParam);
}

LRESULT CALLBACK mouseProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && g_depth == 0) {
    using Kind = platform::InputEvent::Kind;
    switch (wParam) {
      case WM_LBUTTONDOWN:
        record(Kind::LButtonDown, 0);
        break;
      case WM_LBUTTONUP:
        record(Kind::LButtonUp, 0);
        break;
      default:
        record(Kind::Other, 0);
        break;
    }
  }
  return passOn(code, wParam, lParam);
}

struct Hooks {
  UniqueHook keyboard;
  UniqueHook mouse;
  // The new pair goes in before the old one comes out: removed first, every event in between
  // would pass unseen (a click or a Ctrl release lost, on a busy machine now and then).
  void install() {
    HINSTANCE module = ::GetModuleHandleW(nullptr);
    UniqueHook newKeyboard(::SetWindowsHookExW(WH_KEYBOARD_LL, keyboardProc, module, 0));
    UniqueHook newMouse(::SetWindowsHookExW(WH_MOUSE_LL, mouseProc, module, 0));
    // One that could not be installed anew is kept as it was.
    if (newKeyboard) keyboard = std::move(newKeyboard);
    if (newMouse) mouse = std::move(newMouse);
  }
};

}  // namespace

void InputHook::install(HWND target) {
  g_target.window.store(target);
  if (thread_.joinable()) {
    ::PostThreadMessageW(threadId_, kRehook, 0, 0);
    return;
  }
  queue_.clear();
  g_target.queue = &queue_;
  UniqueHandle ready(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  thread_ = std::thread([this, h = ready.get()] { threadMain(h); });
  // Wait until the thread has a message queue, so that a rehook or quit is never lost.
  ::WaitForSingleObject(ready.get(), INFINITE);
}

void InputHook::stop() {
  if (!thread_.joinable()) return;
  ::PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
  // The hooks are removed when the thread leaves its loop: no procedure runs after the join.
  thread_.join();
  threadId_ = 0;
  g_target.window.store(nullptr);
  g_target.queue = nullptr;
  queue_.clear();
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
