#include "recall/delete_clear.h"

namespace recall {

void DeleteClear::deleteSelected() {
  history::SlotStore& s = *c_.store;
  auto& selection = c_.marks->slotSelection;
  c_.deleteItem->setEnabled(false);
  if (!c_.platform->confirm(c_.confirmDelete)) {
    c_.marks->clearSelection();
    s.requestColourPass();
    c_.deleteItem->setEnabled(true);
    return;
  }
  for (int i = 1; i <= files::kSlotCount; ++i) {
    if (selection[static_cast<std::size_t>(i)] != 1) continue;
    if (c_.platform->readClipboardText() == s.text(i)) {
      s.form().setCaption({});
      c_.platform->clearClipboard();
    }
    if (s.checked(i)) {
      // Releasing the keep mark removes the text and moves the later slots up.
      s.box(i).setChecked(false);
      continue;
    }
    s.clearText(i);
    for (int j = i; j < files::kSlotCount; ++j)
      s.setText(j, s.text(j + 1));
    s.clearText(files::kSlotCount);
    selection[static_cast<std::size_t>(i)] = 0;
  }
  c_.deleteItem->setEnabled(true);
  s.updateSlotRows();
  s.openGuardWindow();
  s.requestColourPass();
}

void DeleteClear::allClear() {
  history::SlotStore& s = *c_.store;
  if (!c_.platform->confirm(c_.confirmAllClear)) return;
  for (ui::Control* c : c_.components) {
    switch (c->kind()) {
      case ui::Control::Kind::Memo:
        c->setColor(ui::kClWindow);
        c->hide();
        break;
      case ui::Control::Kind::SpeedButton:
        c->hide();
        break;
      case ui::Control::Kind::CheckBox:
        c->hide();
        static_cast<ui::CheckBox*>(c)->setChecked(false);
        break;
      default:
        break;
    }
  }
  c_.marks->clearSelection();
  for (int i = 1; i <= files::kSlotCount; ++i)
    s.clearText(i);
  // Unchecking inside the walk runs the keep-mark rule, whose guard window re-checks a box that
  // still carries its keep letter. No keep mark may outlive the history it belonged to: take the
  // letters away, then the checks.
  for (int i = 1; i <= files::kSlotCount; ++i)
    s.setKeepLetter(i, false);
  for (int i = 1; i <= files::kSlotCount; ++i)
    s.box(i).setChecked(false);
  c_.allClear->show();
  c_.sequenceButton->show();
  s.form().setCaption({});
  c_.platform->clearClipboard();
  s.syncFiles();
  s.zeroHeight();
}

void DeleteClear::clipboardClear() {
  c_.platform->clearClipboard();
}

}  // namespace recall
