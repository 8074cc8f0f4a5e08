// Keep marks: checking a slot's box keeps its text at the top of the history (the kept slots are
// always A, B, C, ... without a gap); unchecking a kept slot deletes its text and moves the later
// slots up. Setting a box from code raises its click at once, so the handler re-enters itself;
// the guard flags stop the changes it makes itself from being processed again.
#pragma once

#include "history/slot_marks.h"
#include "history/slot_store.h"

namespace history {

class KeepMarks {
 public:
  KeepMarks(SlotStore& store, SlotMarks& marks) : store_(store), marks_(marks) {}

  // The click notification of CheckBox<i>, i = 1..20.
  void checkBoxClick(int i);

  // Start-up: checks A up to the saved letter, as clicks would, and gives every restored slot
  // its keep letter.
  void restore(int highestKept);

 private:
  void guardFrom(int from, int to);
  void release(int i);
  void keep(int i);
  void finish(bool colourPass);

  SlotStore& store_;
  SlotMarks& marks_;
};

}  // namespace history
