// The state the program's units share, each part defined by the layer that owns it.
#pragma once

#include "history/slot_marks.h"
#include "recall/summon_origin.h"
#include "sequence/insertion_flags.h"

namespace app {

struct ProgramState {
  history::SlotMarks marks;
  recall::SummonOrigin summon;
  sequence::InsertionFlags insertion;
};

}  // namespace app
