// The panel worked from the keyboard, through the main window's key preview: while the panel is
// dropped down a slot's letter recalls it and Z starts (or stops) sequence insertion; releasing
// Shift folds the panel, hands the foreground and the pointer back and saves everything.
#pragma once

#include <array>
#include <functional>

#include "history/slot_store.h"
#include "platform/platform.h"
#include "recall/summon_origin.h"
#include "ui/widgets.h"

namespace recall {

inline constexpr int kVkShift = 16;
inline constexpr int kVkZ = 90;

class Keyboard {
 public:
  struct Context {
    platform::Platform* platform = nullptr;
    history::SlotStore* store = nullptr;
    SummonOrigin* summon = nullptr;
    std::array<ui::Button*, files::kSlotCount + 1> slotButtons{};  // Button1..20, recall slot i
    ui::Button* sequenceButton = nullptr;
    ui::Button* focusSink = nullptr;
    // The settings or editor window (TForm1) is shown.
    std::function<bool()> otherWindowShown;
    // Keep state into line 0, the definition file, the slot files T down to A; throws on the
    // first file that cannot be written.
    std::function<void()> saveAll;
  };
  explicit Keyboard(Context c) : c_(std::move(c)) {}

  void formKeyDown(int vk);  // FormKeyDown
  void formKeyUp(int vk);    // FormKeyUp

 private:
  void handBack();

  Context c_;
};

}  // namespace recall
