#include "recall/slot_editor.h"

namespace recall {

void SlotEditor::setInterlocked(bool enabled) {
  for (ui::Control* c : c_.interlocked)
    c->setEnabled(enabled);
  for (int i = 1; i <= files::kSlotCount; ++i)
    c_.store->box(i).setEnabled(enabled);
}

void SlotEditor::editItemClick() {
  history::SlotStore& s = *c_.store;
  ui::Form& panelForm = s.form();
  setInterlocked(false);
  if (panelForm.active() && s.expanded()) {
    panelForm.setTopmost(true);
    s.toStrip();
    try {
      c_.saveAll();
    } catch (const platform::Error&) {
      // No editor opens; the panel must not stay locked without one.
      setInterlocked(true);
      throw;
    }
  }
  ui::Form& w = *c_.window;
  w.setBounds({w.left(), w.top(), kWidth, kHeight});
  c_.panel->show();
  w.maximizeBox = true;
  w.sizeable = true;
  c_.memo->clear();
  for (int i = 1; i <= files::kSlotCount; ++i) {
    if (c_.marks->slotSelection[static_cast<std::size_t>(i)] != 1) continue;
    w.setCaption(text::Text::fromBytes(c_.captionPrefix.bytes() + history::SlotStore::letter(i)));
    c_.memo->setText(s.text(i));
  }
  w.show();
}

bool SlotEditor::formCloseQuery() {
  if (!isOpen()) return true;
  if (c_.memo->empty()) {
    c_.platform->messageBox(c_.emptiedMessage);
    return false;
  }
  return c_.platform->confirm(c_.confirmClose);
}

void SlotEditor::formClose() {
  if (isOpen()) {
    history::SlotStore& s = *c_.store;
    platform::Platform& p = *c_.platform;
    const text::Text edited = c_.memo->text();
    // The capture runs inside this write and stores the text unless a slot already holds it; in
    // a full store it moves the texts first, the one under edit among them, so the edited text
    // goes where that entry went (nowhere if the move dropped it: the capture stored it in T).
    s.followEntries();
    p.writeClipboardText(edited);
    for (int i = 1; i <= files::kSlotCount; ++i) {
      if (c_.marks->slotSelection[static_cast<std::size_t>(i)] != 1) continue;
      const int at = s.followedEntry(i);
      if (at == 0) continue;
      const text::Text back = p.readClipboardText();
      s.form().setCaption(s.clipboardCaption(at, back));
      s.setText(at, edited);
    }
    c_.panel->hide();
    c_.window->setMaximized(false);
    setInterlocked(true);
    c_.marks->clearSelection();
  }
  c_.deleteItem->setEnabled(true);
  c_.editItem->setEnabled(true);
}

}  // namespace recall
