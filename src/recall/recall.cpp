#include "recall/recall.h"

namespace recall {

void Recall::recallSlot(int i) {
  history::SlotStore& s = *c_.store;
  c_.platform->writeClipboardText(s.text(i));
  const text::Text back = c_.platform->readClipboardText();
  s.form().setCaption(s.clipboardCaption(i, back));
  if (!(c_.editorOpen && c_.editorOpen())) c_.marks->clearSelection();
  s.requestColourPass();
}

void Recall::memoClick(int, ui::Button& hiddenButton) {
  c_.store->form().setFocus(c_.focusSink);
  hiddenButton.performClick();
}

void Recall::memoEnter() {
  c_.store->form().setFocus(c_.focusSink);
}

void Recall::memoMouseDown(int i, ui::MouseButton b) {
  if (b != ui::MouseButton::Right) return;
  if (c_.sequenceWindowsShown && c_.sequenceWindowsShown()) return;
  c_.marks->clearSelection();
  c_.marks->slotSelection[static_cast<std::size_t>(i)] = 1;
  c_.store->requestColourPass();
}

void Recall::memoMouseEnter(int i) {
  ui::Memo& m = c_.store->memo(i);
  m.setHint(m.text());
}

}  // namespace recall
