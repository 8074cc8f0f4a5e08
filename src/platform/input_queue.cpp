#include "platform/input_queue.h"

namespace platform {

bool InputEventQueue::push(const InputEvent& e) {
  std::lock_guard lock(mutex_);
  if (e.kind == InputEvent::Kind::Other && !events_.empty() &&
      events_.back().kind == InputEvent::Kind::Other) {
    ++folded_;
    return false;
  }
  events_.push_back(e);
  if (wakePending_) return false;
  wakePending_ = true;
  return true;
}

void InputEventQueue::wakeLost() {
  std::lock_guard lock(mutex_);
  wakePending_ = false;
}

std::optional<InputEvent> InputEventQueue::pop() {
  std::lock_guard lock(mutex_);
  if (events_.empty()) {
    wakePending_ = false;
    return std::nullopt;
  }
  InputEvent e = events_.front();
  events_.pop_front();
  return e;
}

void InputEventQueue::clear() {
  std::lock_guard lock(mutex_);
  events_.clear();
  wakePending_ = false;
}

std::size_t InputEventQueue::waiting() const {
  std::lock_guard lock(mutex_);
  return events_.size();
}

std::size_t InputEventQueue::folded() const {
  std::lock_guard lock(mutex_);
  return folded_;
}

}  // namespace platform
