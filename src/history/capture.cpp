#include "history/capture.h"

namespace history {

void Capture::foldToStripFromZero() {
  ui::Form& f = store_.form();
  if (f.outerHeight() == 0) {
    f.setOuterHeight(33);
    store_.toStrip();
  }
}

void Capture::wmDrawClipboard() {
  // Another program's copy may still be settling (an X11 copy can first read as no text).
  p_.sleep(50);
  captureText(p_.readClipboardText());
}

void Capture::captureText(const std::string& t) {
  store_.controls().clipboardClear->setVisible(!t.empty());

  sawInsertionValue_ = isInsertionValue_ && isInsertionValue_();
  if (sawInsertionValue_) {
    // The sequence insertion's own value: shown, never stored.
    store_.form().setCaption(t);
    foldToStripFromZero();
    return;
  }
  try {
    process(t);
  } catch (const std::exception&) {
    p_.sleep(50);
    try {
      process(t);
    } catch (const std::exception&) {
      // Dropped: the text stays in its slot and reaches its file at the next save.
    }
  }
}

void Capture::process(const std::string& t) {
  ui::Form& f = store_.form();
  if (t.empty()) {
    f.setCaption("");
    // A panel the colour pass holds down is not shrunk even for a moment: a window shrunk to
    // nothing can lose the activation.
    if (!store_.holdingPanelDown()) store_.zeroHeight();
    return;
  }
  const int match = store_.firstMatch(t);
  if (match) {
    f.setCaption(store_.clipboardCaption(match, t));
    store_.memo(match).setColor(kMatchColour);
  }
  foldToStripFromZero();
  f.setTopmost(true);
  if (match) return;

  f.setClientHeight(0);
  for (int k = 1; k <= files::kSlotCount; ++k) {
    if (!store_.isEmpty(k)) continue;
    f.setCaption(store_.clipboardCaption(k, t));
    store_.setText(k, t);
    store_.memo(k).caretToStart();
    store_.showRow(k);
    store_.saveSlot(k);
    return;
  }
  // Full store: unkept texts move one slot towards A; kept ones stay where they are. Which
  // files hold their slot's text is noted first, as the move changes the texts.
  std::array<bool, files::kSlotCount + 1> fileWasCurrent{};
  for (int i = 1; i <= files::kSlotCount; ++i)
    fileWasCurrent[static_cast<std::size_t>(i)] = store_.fileCurrent(i);
  for (int i = 1; i < files::kSlotCount; ++i) {
    if (store_.checked(i)) continue;
    // An unkept next slot is rewritten right after (or takes t), so its text can be moved.
    if (!store_.checked(i + 1))
      store_.setText(i, std::move(store_.memo(i + 1).mutableText()));
    else
      store_.setText(i, store_.text(i + 1));
  }
  if (store_.checked(files::kSlotCount)) {
    // Every slot kept: the text stays on the clipboard, shown as one the history does not hold.
    f.setCaption(t);
    return;
  }
  f.setCaption(store_.clipboardCaption(files::kSlotCount, t));
  store_.setText(files::kSlotCount, t);
  store_.memo(files::kSlotCount).caretToStart();
  saveShiftedFiles(fileWasCurrent);
}

void Capture::saveShiftedFiles(const std::array<bool, files::kSlotCount + 1>& fileWasCurrent) {
  // Every slot file ends up holding its slot's text, as if all twenty were saved in order 1..20,
  // but a moved text is not written again: the next slot's file, still unchanged, is put in its
  // place. Each step replaces one file atomically, so at any moment every file is whole and
  // holds its old or its new text.
  for (int i = 1; i <= files::kSlotCount; ++i) {
    const bool moved = i < files::kSlotCount && !store_.checked(i);
    if (moved && fileWasCurrent[static_cast<std::size_t>(i) + 1])
      store_.takeFileOf(i, i + 1);
    else if (!store_.fileCurrent(i))
      store_.saveSlot(i);
  }
}

}  // namespace history
