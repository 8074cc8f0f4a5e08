// Capture of every clipboard change into the slots.
#pragma once

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

 private:
  void process(const std::string& t);
  void foldToStripFromZero();

  platform::Platform& p_;
  SlotStore& store_;
  ProgramState& state_;
};

}  // namespace history
