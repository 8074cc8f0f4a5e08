// Putting a slot's text back on the clipboard, and the other reactions of a slot's text box:
// the focus never stays in it, a right press selects it for the popup menu, hovering shows its
// whole text.
#pragma once

#include <functional>

#include "history/slot_marks.h"
#include "history/slot_store.h"
#include "platform/platform.h"
#include "ui/widgets.h"

namespace recall {

class Recall {
 public:
  struct Context {
    platform::Platform* platform = nullptr;
    history::SlotStore* store = nullptr;
    history::SlotMarks* marks = nullptr;
    ui::Button* focusSink = nullptr;
    // The slot editor is open: recalls leave the selection alone.
    std::function<bool()> editorOpen;
    // The settings window or the hint window is shown: right presses select nothing.
    std::function<bool()> sequenceWindowsShown;
  };
  explicit Recall(Context c) : c_(std::move(c)) {}

  void recallSlot(int i);
  void memoClick(int i, ui::Button& hiddenButton);
  void memoEnter();
  void memoMouseDown(int i, ui::MouseButton b);
  void memoMouseEnter(int i);

 private:
  Context c_;
};

}  // namespace recall
