// Removing things: the popup command that deletes the selected slot, "All Clear" for the whole
// history, "C,B Clear" for the clipboard alone.
#pragma once

#include <string>
#include <vector>

#include "history/slot_marks.h"
#include "history/slot_store.h"
#include "platform/platform.h"
#include "ui/widgets.h"

namespace recall {

class DeleteClear {
 public:
  struct Context {
    platform::Platform* platform = nullptr;
    history::SlotStore* store = nullptr;
    history::SlotMarks* marks = nullptr;
    ui::MenuItem* deleteItem = nullptr;
    ui::SpeedButton* allClear = nullptr;
    ui::Button* sequenceButton = nullptr;
    std::vector<ui::Control*> components;  // the panel's first components, in creation order
    std::string confirmDelete;
    std::string confirmAllClear;
  };
  explicit DeleteClear(Context c) : c_(std::move(c)) {}

  void deleteSelected();
  void allClear();  // any mouse button
  void clipboardClear();

 private:
  Context c_;
};

}  // namespace recall
