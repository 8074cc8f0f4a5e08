#include "recall/keyboard.h"

namespace recall {

void Keyboard::formKeyDown(int vk) {
  history::SlotStore& s = *c_.store;
  if (!s.expanded()) return;
  for (int i = 1; i <= files::kSlotCount; ++i) {
    if (!s.isEmpty(i) && vk == 64 + i) {
      c_.slotButtons[static_cast<std::size_t>(i)]->performClick();
      return;
    }
  }
  if (vk == kVkZ && c_.sequenceButton->enabled()) c_.sequenceButton->performClick();
}

void Keyboard::formKeyUp(int vk) {
  if (vk == kVkShift && c_.store->expanded()) handBack();
  // Whatever the key: with nothing on the clipboard the panel has nothing to show.
  if (!c_.platform->clipboardHasText()) c_.store->zeroHeight();
}

void Keyboard::handBack() {
  history::SlotStore& s = *c_.store;
  platform::Platform& p = *c_.platform;
  ui::Form& f = s.form();
  f.setTopmost(true);
  s.toStrip();
  f.setFocus(c_.focusSink);
  if (c_.otherWindowShown && c_.otherWindowShown())
    p.bringApplicationToFront();
  else
    p.setForegroundWindow(c_.summon->returnWindow);
  c_.saveAll();
  if (!f.active()) p.setCursorPos(c_.summon->returnCursorPos);
}

}  // namespace recall
