#include "history/slot_store.h"

#include "files/slot_files.h"

namespace history {

SlotStore::SlotStore(platform::Platform& p, PanelControls c, SlotMarks& marks,
                     std::string fullColon)
    : p_(p), c_(c), marks_(marks), fullColon_(std::move(fullColon)) {
  savedRevision_.fill(~std::uint64_t{0});
}

void SlotStore::showRow(int i) {
  row(i).memo->show();
  row(i).letter->show();
  row(i).check->show();
}

void SlotStore::hideRow(int i) {
  row(i).check->hide();
  row(i).memo->hide();
  row(i).letter->hide();
}

int SlotStore::firstMatch(std::string_view t) const {
  if (t.empty()) return 0;
  for (int i = 1; i <= files::kSlotCount; ++i)
    if (text(i) == t) return i;
  return 0;
}

std::string SlotStore::clipboardCaption(int i, std::string_view t) const {
  std::string caption(1, letter(i));
  caption += fullColon_;
  caption += t;
  return caption;
}

std::string SlotStore::keepStateLetter() const {
  for (int i = files::kSlotCount; i >= 1; --i)
    if (checked(i)) return std::string(1, letter(i));
  return {};
}

int SlotStore::expandedHeight() const {
  // Only the left column counts: a filled right slot always has a filled left one beside it.
  for (int i = files::kSlotCount - 1; i >= 1; i -= 2)
    if (!isEmpty(i)) return 55 + 25 * ((i + 1) / 2);
  return 55;
}

void SlotStore::updateClearButton() {
  c_.clipboardClear->setVisible(!p_.readClipboardText().empty());
}

void SlotStore::saveSlot(int i) {
  if (unreadFile_[k(i)] == memo(i).revision()) return;
  files::saveBox(p_, files::slotFileName(i), memo(i));
  unreadFile_[k(i)].reset();
  noteFileCurrent(i);
}

bool SlotStore::loadSlot(int i) {
  std::optional<std::string> bytes = p_.readFile(files::slotFileName(i));
  if (!bytes) {
    if (p_.fileExists(files::slotFileName(i))) unreadFile_[k(i)] = memo(i).revision();
    return false;
  }
  const std::size_t onDisk = bytes->size();
  memo(i).setText(files::normalizeLoadedText(std::move(*bytes), p_));
  // Normalising only ever adds (line breaks) or cuts (at a zero byte): the same length means
  // the same bytes.
  if (text(i).size() == onDisk) noteFileCurrent(i);
  return true;
}

void SlotStore::takeFileOf(int i, int from) {
  p_.replaceFileWithCopyOf(files::slotFileName(i), files::slotFileName(from));
  unreadFile_[k(i)].reset();
  noteFileCurrent(i);
}

void SlotStore::updateSlotRows() {
  for (int i = files::kSlotCount; i >= 1; --i) {
    if (!isEmpty(i)) continue;
    box(i).setChecked(false);
    box(i).hide();
    setKeepLetter(i, false);
    memo(i).hide();
    row(i).letter->hide();
    saveSlot(i);
  }
  expand();
}

void SlotStore::colourPass() {
  for (int i = 1; i <= files::kSlotCount; ++i)
    memo(i).setColor(ui::kClWindow);
  // One read serves the whole pass: nothing else runs on this thread meanwhile.
  const std::string c = p_.readClipboardText();
  for (int i = 1; i <= files::kSlotCount; ++i) {
    if (checked(i) && !isEmpty(i)) memo(i).setColor(c == text(i) ? kMatchColour : kKeptColour);
  }
  if (!c.empty()) {
    if (int i = firstMatch(c)) {
      c_.form->setCaption(clipboardCaption(i, c));
      memo(i).setColor(kMatchColour);
    } else {
      c_.form->setCaption("");
      // A text no slot holds is not left on the clipboard. The capture of that emptying must
      // not take away a panel the user has just dropped down: the pass follows every summoning,
      // and a text left over (such as a sequence run's last value) would undo it.
      holdingPanelDown_ = expanded();
      try {
        p_.clearClipboard();
      } catch (...) {
        holdingPanelDown_ = false;
        throw;
      }
      holdingPanelDown_ = false;
    }
  }
  for (int i = 1; i <= files::kSlotCount; ++i)
    if (marks_.slotSelection[static_cast<std::size_t>(i)] == 1) memo(i).setColor(kSelectedColour);
  c_.colourTimer->stop();
}

void SlotStore::endGuardWindow() {
  for (int i = 1; i <= files::kSlotCount; ++i)
    marks_.keepGuard[static_cast<std::size_t>(i)] = 0;
  c_.guardTimer->stop();
}

}  // namespace history
