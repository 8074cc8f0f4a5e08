// Desktop-wide keyboard and mouse observation with low-level hooks.
//
// The hooks live on their own thread: a low-level hook procedure must return quickly, while the
// UI thread may be busy for a while (sending keys with pauses). The hook thread queues each event
// and wakes a window of the UI thread with one posted message per batch; the UI thread then takes
// the events in order (see platform::InputEventQueue for how pointer moves are folded). Events
// are only observed, never swallowed; injected events (our own synthetic keys included) are
// reported like the user's.
#pragma once

#include "platform/win32/win32_util.h"

#include <optional>
#include <thread>

#include "platform/input_queue.h"
#include "platform/platform.h"

namespace win32 {

class InputHook {
 public:
  // Posted to the target window when events are waiting; wParam and lParam are unused.
  static constexpr UINT kEventMessage = WM_APP + 20;

  InputHook() = default;
  InputHook(const InputHook&) = delete;
  InputHook& operator=(const InputHook&) = delete;
  ~InputHook() { stop(); }

  // Starts the hook thread, or re-installs the hooks when it already runs (the system may
  // silently drop a low-level hook that timed out).
  void install(HWND target);
  // Removes the hooks, ends the thread and forgets the events not yet taken.
  void stop();
  bool running() const { return thread_.joinable(); }

  // UI thread: the next waiting event, oldest first.
  std::optional<platform::InputEvent> next() { return queue_.pop(); }
  std::size_t folded() const { return queue_.folded(); }

 private:
  void threadMain(HANDLE ready);

  platform::InputEventQueue queue_;
  std::thread thread_;
  DWORD threadId_ = 0;
};

}  // namespace win32
