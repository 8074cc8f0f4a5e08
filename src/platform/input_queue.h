// Hand-over of recorded input events from a backend's hook thread to the UI thread.
//
// The hook thread pushes every event as it happens and must never wait for the UI thread; the UI
// thread takes them one by one, in the order they happened. While the UI thread is busy (the
// paste blocks it for a while), pointer moves pile up by the thousand; a move carries nothing
// but "the pointer moved", so a move that follows another move still waiting is folded into it.
// Keys and buttons are never folded, dropped or reordered. The consumer is woken once per batch,
// not once per event, so a busy UI thread's message queue cannot fill up.
#pragma once

#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>

#include "platform/platform.h"

namespace platform {

class InputEventQueue {
 public:
  // Hook thread. Returns true when the consumer has to be woken for this event (it is not
  // already due to drain the queue).
  bool push(const InputEvent& e);
  // Hook thread: the wake-up for the last push that asked for one could not be delivered; the
  // next push asks again.
  void wakeLost();
  // UI thread: the oldest waiting event; nullopt when none is left, after which the next push
  // wakes the consumer again.
  std::optional<InputEvent> pop();
  // Forgets every waiting event (the hook is gone).
  void clear();

  // Counts for checks and diagnostics.
  std::size_t waiting() const;
  std::size_t folded() const;

 private:
  mutable std::mutex mutex_;
  std::deque<InputEvent> events_;
  bool wakePending_ = false;
  std::size_t folded_ = 0;
};

}  // namespace platform
