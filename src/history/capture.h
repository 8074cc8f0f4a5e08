// Capture of every clipboard change into the slots.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <utility>

#include "history/slot_store.h"
#include "platform/platform.h"

namespace history {

class Capture {
 public:
  // isInsertionValue tells whether the clipboard now holds a value the sequence insertion is
  // pasting: shown in the caption, never stored.
  Capture(platform::Platform& p, SlotStore& store, std::function<bool()> isInsertionValue)
      : p_(p), store_(store), isInsertionValue_(std::move(isInsertionValue)) {}

  // The program's own write or clear changed the clipboard (nested in it).
  void wmDrawClipboard();
  // Another program's change, as the backend read it: a text is captured; a clipboard another
  // program still held is reported in the caption (the user may be typing elsewhere: no box
  // takes the keyboard); a text its program never handed over leaves everything as it was.
  void clipboardRead(const platform::ClipboardRead& read);
  // The handling of a clipboard text t already read (the start-up text, for one).
  void captureText(const text::Text& t);
  // The clipboard's text, when captured last, was the sequence insertion's own value.
  bool sawInsertionValue() const { return sawInsertionValue_; }

 private:
  void process(const text::Text& t);
  void foldToStripFromZero();

  platform::Platform& p_;
  SlotStore& store_;
  std::function<bool()> isInsertionValue_;
  bool sawInsertionValue_ = false;
};

}  // namespace history
