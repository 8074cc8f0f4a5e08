#include "history/capture.h"

namespace history {

void Capture::foldToStripFromZero() {
  ui::Form& f = store_.form();
  if (f.outerHeight() == 0) {
    f.setOuterHeight(kTitleBarHeight);
    store_.toStrip();
  }
}

void Capture::wmDrawClipboard() {
  // Another program's copy may still be settling (an X11 copy can first read as no text).
  p_.sleep(50);
  captureText(p_.readClipboardText());
}

void Capture::clipboardRead(const platform::ClipboardRead& read) {
  using Outcome = platform::ClipboardRead::Outcome;
  switch (read.outcome) {
    case Outcome::Text:
      captureText(read.text);
      break;
    case Outcome::Held:
      foldToStripFromZero();
      store_.form().setCaption(p_.fromUtf8("クリップボードを開くことができません"));
      break;
    case Outcome::Failed:
      break;
  }
}

void Capture::captureText(const text::Text& t) {
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

void Capture::process(const text::Text& t) {
  ui::Form& f = store_.form();
  if (t.empty()) {
    f.setCaption({});
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
  if (match) {
    // Nothing moves; a file a failed save left behind its slot catches up.
    store_.saveChanges();
    return;
  }

  f.setClientHeight(0);
  for (int k = 1; k <= files::kSlotCount; ++k) {
    if (!store_.isEmpty(k)) continue;
    f.setCaption(store_.clipboardCaption(k, t));
    store_.setText(k, t);
    store_.memo(k).caretToStart();
    store_.showRow(k);
    store_.saveChanges();
    return;
  }
  // Full store: unkept texts move one slot towards A; kept ones stay where they are. The files
  // follow, each moved text linked into place rather than written again.
  store_.shiftTowardsA();
  if (store_.checked(files::kSlotCount)) {
    // Every slot kept: the text stays on the clipboard, shown as one the history does not hold.
    f.setCaption(t);
    store_.saveChanges();
    return;
  }
  f.setCaption(store_.clipboardCaption(files::kSlotCount, t));
  store_.setText(files::kSlotCount, t);
  store_.memo(files::kSlotCount).caretToStart();
  store_.saveChanges();
}

}  // namespace history
