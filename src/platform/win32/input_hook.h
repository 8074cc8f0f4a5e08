// Desktop-wide keyboard and mouse observation with low-level hooks.
//
// The hooks live on their own thread: a low-level hook procedure must return quickly, while the
// UI thread may be busy for a while (sending keys with pauses). Each event is posted to a window
// of the UI thread as a message; events are only observed, never swallowed.
#pragma once

#include "platform/win32/win32_util.h"

#include <thread>

namespace win32 {

class InputHook {
 public:
  // Message posted to the target window: wParam = event kind, lParam = generic key code.
  static constexpr UINT kEventMessage = WM_APP + 20;

  InputHook() = default;
  InputHook(const InputHook&) = delete;
  InputHook& operator=(const InputHook&) = delete;
  ~InputHook() { stop(); }

  // Starts the hook thread, or re-installs the hooks when it already runs (the system may
  // silently drop a low-level hook that timed out).
  void install(HWND target);
  void stop();
  bool running() const { return thread_.joinable(); }

 private:
  void threadMain(HANDLE ready);

  std::thread thread_;
  DWORD threadId_ = 0;
};

}  // namespace win32
