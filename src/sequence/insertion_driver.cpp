#include "sequence/insertion_driver.h"

#include <utility>

namespace sequence {

using platform::CursorShape;
using platform::InputEvent;

InsertionDriver::InsertionDriver(platform::Platform& p, InsertionFlags& state, Controls c)
    : p_(p), state_(state), c_(std::move(c)) {}

RunSettings InsertionDriver::readSettings() const {
  RunSettings s;
  s.sequenceKind = c_.kinds->itemIndex() < 0 ? kStandardKind : c_.kinds->itemIndex();
  s.startText = c_.start->text();
  s.startIndex = c_.start->itemIndex();
  s.items = c_.start->items();
  s.endText = c_.end->text().bytes();
  s.prefix = c_.prefix->text().bytes();
  s.suffix = c_.suffix->text().bytes();
  s.lineBreak = c_.lineBreak->checked();
  return s;
}

text::Text InsertionDriver::composed(const text::Text& frame, const text::Text& end) const {
  const text::Text value = text::Text::fromBytes(run_.valueText);
  return p_.join({&frame, &c_.prefix->text(), &value, &c_.suffix->text(), &frame, &end});
}

bool InsertionDriver::cursorOk(CursorShape shape) const {
  return c_.anyCursor->checked() ? shape != CursorShape::None : shape == CursorShape::IBeam;
}

void InsertionDriver::installHook() {
  // Installing replaces a hook that is still there: exactly one exists at any time.
  p_.installInputHook();
  hooked_ = true;
}

void InsertionDriver::removeHook() {
  p_.removeInputHook();
  hooked_ = false;
}

void InsertionDriver::startClick() {
  state_.insertArmed = state_.ctrlDown = state_.ctrlChord = false;
  if (c_.start->text().empty() || c_.end->text().empty()) return;
  if (c_.replace->checked() && !repeatRestart_ && !p_.confirm(c_.replaceWarning)) return;
  run_.StartRun(readSettings());
  installHook();
  c_.renewal->start();
  repeatRestart_ = false;
  if (c_.sequenceButton->caption() != c_.stopCaption) {
    // A first start, not a repeat.
    c_.hint->open();
    c_.settings->hide();
    c_.sequenceButton->setCaption(c_.stopCaption);
    p_.setForegroundWindow(state_.insertTargetWindow);
    if (!c_.panel->active()) p_.setCursorPos(state_.insertCursorPos);
  }
}

void InsertionDriver::inputEvent(const InputEvent& e) {
  if (!hooked_) return;
  if (e.kind == InputEvent::Kind::KeyDown) {
    if (e.vk == kVkControl)
      state_.ctrlDown = true;
    else if (state_.ctrlDown)
      state_.ctrlChord = true;
  } else if (e.kind == InputEvent::Kind::KeyUp && e.vk == kVkControl) {
    ctrlRelease();
  }
  handleInputEvent(e.kind);
}

void InsertionDriver::ctrlRelease() {
  state_.ctrlDown = false;
  if (cursorOk(p_.cursorShape()) && !c_.panel->active() && !state_.insertArmed &&
      !state_.ctrlChord && c_.hint->hintShown()) {
    state_.insertArmed = true;
  } else if (!c_.continuous->checked() || !state_.ctrlChord) {
    // A lone tap disarms; a chord (the paste's own Ctrl+V among them) disarms too, except that
    // continuous insertion stays armed through chords.
    state_.insertArmed = false;
  }
  state_.ctrlChord = false;
}

void InsertionDriver::handleInputEvent(InputEvent::Kind kind) {
  const platform::Point at = p_.cursorPos();
  c_.hint->moveTo(at);
  const platform::Rect target = p_.windowRect(state_.insertTargetWindow);
  const CursorShape shape = p_.cursorShape();
  if (!c_.anyCursor->checked() && shape != CursorShape::IBeam) c_.hint->hideHint();
  if (!cursorOk(shape)) return;
  if (!c_.anyWindow->checked() &&
      !(p_.foregroundWindow() == state_.insertTargetWindow && target.contains(at)))
    return;
  // The program's own windows (the panel, its buttons, the settings window) are never a target,
  // whatever the options: a click there is the user working with the program.
  if (p_.ownWindowAt(at)) return;

  c_.hint->showHint();
  if (!state_.insertArmed)
    c_.hint->setLabelColour(HintForm::kNotArmed);
  else
    c_.hint->setLabelColour(c_.replace->checked() ? HintForm::kArmedReplace
                                                  : HintForm::kArmedInsert);
  if (!run_.valuePrepared) {
    run_.PrepareValue(readSettings());
    static const text::Text space = text::Text::fromBytes(" ");
    c_.hint->setCaption(composed(space, {}));
  }
  if (pasteCooldown_ || !state_.insertArmed || state_.ctrlDown) return;
  if (kind == InputEvent::Kind::LButtonUp) insert();
}

void InsertionDriver::insert() {
  const RunSettings settings = readSettings();
  static const text::Text lineBreak = text::Text::fromBytes("\r\n");
  text::Text text = composed({}, settings.lineBreak ? lineBreak : text::Text());
  // The clipboard first: when another program holds it open the write fails here, and nothing
  // has happened yet - the field keeps its content and the same value goes in at the next click.
  p_.writePasteText(text);
  state_.lastInsertedText = std::move(text);

  const bool over = run_.CompleteInsertion(settings);
  if (c_.replace->checked()) sendReplacementKeys(run_.insertText.size());
  c_.paste->start();
  run_.valuePrepared = false;
  pasteCooldown_ = true;
  c_.cooldown->start();
  if (over) endOfRun();
}

void InsertionDriver::sendReplacementKeys(std::size_t n) {
  for (std::size_t i = 0; i < n; ++i)
    tap(kVkRight);
  key(kVkControl, false);
  tap(kVkA);
  key(kVkControl, true);
  tap(kVkDelete);
  key(kVkShift, false);
  key(kVkControl, false);
  for (std::size_t i = 0; i < n; ++i)
    tap(kVkLeft);
  key(kVkControl, true);
  key(kVkShift, true);
  tap(kVkDelete);
  state_.ctrlChord = true;
}

void InsertionDriver::endOfRun() {
  if (c_.repeat->checked()) {
    repeatRestart_ = true;
    startClick();
    return;
  }
  // The paste of the last value still follows: the paste timer is already running.
  c_.hint->close();
  c_.renewal->stop();
  removeHook();
  c_.sequenceButton->setCaption(c_.startCaption);
  c_.deleteItem->setEnabled(true);
  c_.editItem->setEnabled(true);
  state_.insertArmed = state_.ctrlDown = state_.ctrlChord = false;
}

void InsertionDriver::cooldownEnded() {
  pasteCooldown_ = false;
  c_.cooldown->stop();
}

void InsertionDriver::sendPaste() {
  key(kVkControl, false);
  p_.sleep(kPasteCtrlDownPause);
  key(kVkV, false);
  p_.sleep(kPasteVDownPause);
  key(kVkV, true);
  p_.sleep(kPasteVUpPause);
  key(kVkControl, true);
  c_.paste->stop();
}

void InsertionDriver::renewHook() {
  if (c_.hint->isOpen()) installHook();
}

void InsertionDriver::stop() {
  c_.hint->hintLabel.hide();
  c_.hint->close();
  removeHook();
  c_.renewal->stop();
  c_.sequenceButton->setCaption(c_.startCaption);
  state_.insertArmed = state_.ctrlDown = state_.ctrlChord = false;
  c_.deleteItem->setEnabled(true);
  c_.editItem->setEnabled(true);
}

void InsertionDriver::formDestroy() {
  if (hooked_) removeHook();
}

}  // namespace sequence
