// Capture of every clipboard change into the slots.
#pragma once

#include <array>
#include <string>

#include "history/slot_store.h"
#include "history/state.h"
#include "platform/platform.h"

namespace history {

class Capture {
 public:
  Capture(platform::Platform& p, SlotStore& store, ProgramState& state)
      : p_(p), store_(store), state_(state) {}

  // The clipboard changed (another program's copy, or the program's own write, nested).
  void wmDrawClipboard();
  // The handling of a clipboard text t already read (the start-up text, for one).
  void captureText(const std::string& t);

 private:
  void process(const std::string& t);
  void foldToStripFromZero();
  void saveShiftedFiles(const std::array<bool, kSlots + 1>& fileWasCurrent);

  platform::Platform& p_;
  SlotStore& store_;
  ProgramState& state_;
};

}  // namespace history
