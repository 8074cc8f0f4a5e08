#include "history/slot_store.h"

#include <exception>

#include "files/slot_files.h"

namespace history {

SlotStore::SlotStore(platform::Platform& p, PanelControls c, SlotMarks& marks, text::Text fullColon)
    : p_(p), c_(c), marks_(marks), fullColon_(std::move(fullColon)), files_(p) {}

void SlotStore::showRow(int i) {
  row(i).memo->show();
  row(i).letter->show();
  row(i).check->show();
}

void SlotStore::shiftTowardsA() {
  for (int& at : followed_) {
    if (at == 0) continue;
    if (at > 1 && !checked(at - 1))
      --at;
    else if (!checked(at))
      at = 0;  // overwritten by the text after it, or by the new one in T
  }
  for (int i = 1; i < files::kSlotCount; ++i) {
    if (checked(i)) continue;
    setText(i, text(i + 1));
  }
}

void SlotStore::followEntries() {
  for (int i = 0; i <= files::kSlotCount; ++i)
    followed_[static_cast<std::size_t>(i)] = i;
}

void SlotStore::hideRow(int i) {
  row(i).check->hide();
  row(i).memo->hide();
  row(i).letter->hide();
}

int SlotStore::firstMatch(const text::Text& t) const {
  if (t.empty()) return 0;
  for (int i = 1; i <= files::kSlotCount; ++i)
    if (text(i) == t) return i;
  return 0;
}

int SlotStore::secondCopy() const {
  for (int i = 2; i <= files::kSlotCount; ++i)
    if (const int first = firstMatch(text(i)); first && first < i) return i;
  return 0;
}

text::Text SlotStore::clipboardCaption(int i, const text::Text& t) const {
  const text::Text letterText = text::Text::fromBytes(std::string(1, letter(i)));
  return p_.join({&letterText, &fullColon_, &t});
}

std::string SlotStore::keepStateLetter() const {
  for (int i = files::kSlotCount; i >= 1; --i)
    if (checked(i)) return std::string(1, letter(i));
  return {};
}

int SlotStore::expandedHeight() const {
  // Only the left column counts: a filled right slot always has a filled left one beside it.
  for (int i = files::kSlotCount - 1; i >= 1; i -= 2)
    if (!isEmpty(i)) return kHeaderHeight + kRowHeight * ((i + 1) / 2);
  return kHeaderHeight;
}

void SlotStore::updateClearButton() {
  c_.clipboardClear->setVisible(p_.clipboardHasText());
}

bool SlotStore::loadSlot(int i) {
  SlotFileSync::Loaded loaded = files_.load(i);
  if (loaded.found == SlotFileSync::Found::Missing) return false;
  if (loaded.found == SlotFileSync::Found::Unreadable) {
    files_.noteUnreadable(i, text(i));
    return false;
  }
  setText(i, std::move(loaded.text));
  files_.noteLoaded(i, text(i), loaded.asOnDisk);
  return true;
}

void SlotStore::syncFiles(bool keepGoing) {
  files_.sync([this](int i) -> const text::Text& { return text(i); }, keepGoing);
  if (c_.definitions) c_.definitions->saveKeepLine(keepStateLetter(), false);
}

void SlotStore::syncAllFiles(bool keepGoing) {
  std::exception_ptr failed;
  try {
    if (c_.definitions) c_.definitions->saveKeepLine(keepStateLetter(), true);
  } catch (const platform::Error&) {
    if (!keepGoing) throw;
    failed = std::current_exception();
  }
  files_.noteRemovedFiles();
  files_.sync([this](int i) -> const text::Text& { return text(i); }, keepGoing);
  if (failed) std::rethrow_exception(failed);
}

bool SlotStore::saveChanges(bool all) {
  try {
    if (all)
      syncAllFiles();
    else
      syncFiles();
  } catch (const platform::Error& e) {
    tellSaveFailure(e);
    return false;
  }
  if (failureTold_) p_.setUnsavedReason({});
  failureTold_ = false;
  return true;
}

void SlotStore::tellSaveFailure(const platform::Error& e) {
  if (failureTold_) return;
  failureTold_ = true;
  p_.setUnsavedReason(p_.encode("履歴の変更をまだ保存できていません"));
  p_.showError(e.what());
}

void SlotStore::updateSlotRows() {
  for (int i = files::kSlotCount; i >= 1; --i) {
    if (!isEmpty(i)) continue;
    box(i).setChecked(false);
    box(i).hide();
    setKeepLetter(i, false);
    memo(i).hide();
    row(i).letter->hide();
  }
  expand();
}

void SlotStore::colourPass() {
  // Stopped before the clipboard is looked at: a clipboard another program holds is reported
  // once, not at every tick while the error box shows.
  c_.colourTimer->stop();
  for (int i = 1; i <= files::kSlotCount; ++i)
    memo(i).setColor(ui::kClWindow);
  // Another program's copy still on its way (a source that renders late, a clipboard held) is
  // not waited for: the pass leaves caption and clipboard to its capture. One read serves the
  // whole pass: nothing else runs on this thread meanwhile.
  const text::Text c = p_.clipboardReadPending() ? text::Text{} : p_.readClipboardText();
  for (int i = 1; i <= files::kSlotCount; ++i) {
    if (checked(i) && !isEmpty(i)) memo(i).setColor(c == text(i) ? kMatchColour : kKeptColour);
  }
  if (!c.empty()) {
    if (int i = firstMatch(c)) {
      c_.form->setCaption(clipboardCaption(i, c));
      memo(i).setColor(kMatchColour);
    } else if (!isOwnLeftover || !isOwnLeftover(c)) {
      // Another program's text (a copy the full, all-kept history could not take) is the
      // user's: it stays, shown without a slot letter.
      c_.form->setCaption(c);
    } else {
      c_.form->setCaption({});
      // The capture of that emptying must not take away a panel the user has just dropped down:
      // the pass follows every summoning, and the leftover would undo it.
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
}

void SlotStore::endGuardWindow() {
  for (int i = 1; i <= files::kSlotCount; ++i)
    marks_.keepGuard[static_cast<std::size_t>(i)] = 0;
  c_.guardTimer->stop();
}

}  // namespace history
