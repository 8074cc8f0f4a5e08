#include "app/main_form.h"

#include <algorithm>

#include "files/slot_files.h"
#include "sequence/insertion_driver.h"
#include "sequence/settings_form.h"

namespace app {
namespace {

// Power events (WM_POWERBROADCAST's wParam): a suspend or standby is asked for or was refused
// (0..3), or the system resumes (6..8). Suspend and standby themselves (4, 5) change nothing.
constexpr int kPbtApmQuerySuspend = 0;
constexpr int kPbtApmQueryStandbyFailed = 3;
constexpr int kPbtApmResumeCritical = 6;
constexpr int kPbtApmResumeStandby = 8;

// Slot i's row on the panel: two slots a row, A, C, E, ... on the left, B, D, F, ... on the right.
bool inLeftColumn(int i) {
  return i % 2 == 1;
}
int rowTop(int i) {
  return 28 + history::kRowHeight * ((i - 1) / 2);
}

}  // namespace

MainForm::MainForm(platform::Platform& p, const Texts& texts, ProgramState& state)
    : p_(p), texts_(texts), state_(state) {
  buildControls();
  store_ =
      std::make_unique<history::SlotStore>(p_, panelControls(), state_.marks, texts_.fullColon);
  capture_ = std::make_unique<history::Capture>(
      p_, *store_, [this] { return state_.insertion.insertArmed && !state_.insertion.ctrlDown; });
  keepMarks_ = std::make_unique<history::KeepMarks>(*store_, state_.marks);
  store_->isOwnLeftover = [this](const text::Text& text) {
    return capture_->sawInsertionValue() && text == state_.insertion.lastInsertedText;
  };

  for (int i = 1; i <= files::kSlotCount; ++i) {
    const auto k = static_cast<std::size_t>(i);
    keepBoxes[k]->onClick = [this, i] {
      changingSlots([this, i] { keepMarks_->checkBoxClick(i); });
    };
  }
  recall_ = std::make_unique<recall::Recall>(recall::Recall::Context{
      &p_, store_.get(), &state_.marks, &slotFocusSink,
      [this] { return editorOpen && editorOpen(); },
      [this] {
        return (settingsForm && settingsForm->visible()) || (hintForm && hintForm->visible());
      }});
  recall::DeleteClear::Context dc;
  dc.platform = &p_;
  dc.store = store_.get();
  dc.marks = &state_.marks;
  dc.deleteItem = &deleteItem;
  dc.allClear = &allClearButton;
  dc.sequenceButton = &sequenceButton;
  // The first 86 components: the credit label up to the definition box.
  for (ui::Control* c : form.children()) {
    dc.components.push_back(c);
    if (c == &definitionLines) break;
  }
  dc.confirmDelete = texts_.confirmDelete;
  dc.confirmAllClear = texts_.confirmAllClear;
  deleteClear_ = std::make_unique<recall::DeleteClear>(std::move(dc));

  for (int i = 1; i <= files::kSlotCount; ++i) {
    const auto k = static_cast<std::size_t>(i);
    auto recallI = [this, i] { recall_->recallSlot(i); };
    letterButtons[k]->onClick = recallI;
    recallButtons[k]->onClick = recallI;
    ui::Memo& m = *slotMemos[k];
    m.onClick = [this, i, k] { recall_->memoClick(i, *recallButtons[k]); };
    m.onEnter = [this] { recall_->memoEnter(); };
    m.onMouseDown = [this, i](ui::MouseButton b) { recall_->memoMouseDown(i, b); };
    m.onMouseEnter = [this, i] { recall_->memoMouseEnter(i); };
  }
  recall::Keyboard::Context kb;
  kb.platform = &p_;
  kb.store = store_.get();
  kb.summon = &state_.summon;
  for (int i = 1; i <= files::kSlotCount; ++i)
    kb.slotButtons[static_cast<std::size_t>(i)] = recallButtons[static_cast<std::size_t>(i)].get();
  kb.sequenceButton = &sequenceButton;
  kb.focusSink = &foldedFocusSink;
  kb.otherWindowShown = [this] { return settingsForm && settingsForm->visible(); };
  kb.saveAll = [this] { saveAll(); };
  keyboard_ = std::make_unique<recall::Keyboard>(std::move(kb));
  form.onFormKeyDown = [this](int vk) { keyboard_->formKeyDown(vk); };
  form.onFormKeyUp = [this](int vk) { keyboard_->formKeyUp(vk); };

  deleteItem.onClick = [this] { changingSlots([this] { deleteClear_->deleteSelected(); }); };
  allClearButton.onMouseUp = [this](ui::MouseButton) {
    changingSlots([this] { deleteClear_->allClear(); });
  };
  keepGuardTimer.onTimer = [this] { store_->endGuardWindow(); };
  colourTimer.onTimer = [this] { store_->colourPass(); };
  trayCloseItem.onClick = [this] { trayCloseClick(); };
  cbClearButton.onClick = [this] { deleteClear_->clipboardClear(); };
  form.onClose = [this] { formClose(); };
  sequenceButton.onClick = [this] { sequenceButtonClick(); };
}

MainForm::~MainForm() = default;

void MainForm::buildControls() {
  form.setCaption({});
  form.setBounds({350, 0, 335, 100});
  form.setColor(ui::kClSkyBlue);
  form.fontName = texts_.panelFont;
  form.fontHeight = 12;
  form.keyPreview = true;
  // Letters and Z are commands here, also while the user types Japanese elsewhere.
  form.noInputMethod = true;
  form.dialogFrame = true;
  // The panel has no border icons at all; closing it by other means ends the program.
  form.systemMenu = false;
  form.quitsOnClose = true;
  // A copy, a run's value or text back on the clipboard brings the panel back while the user
  // types elsewhere: only the summons take the keyboard.
  form.activeOnlyWhenAsked = true;
  form.setTopmost(true);

  // Creation order matters: All Clear walks the first components in this order.
  creditLabel.setCaption(texts_.credit);
  creditLabel.setBounds({206, 1, 120, 13});
  form.addControl(creditLabel);
  for (int i = 1; i <= files::kSlotCount; ++i) {
    const auto k = static_cast<std::size_t>(i);
    letterButtons[k] = std::make_unique<ui::SpeedButton>("SpeedButton" + std::to_string(20 + i));
    ui::SpeedButton& b = *letterButtons[k];
    b.setCaption(text::Text::fromBytes(std::string(1, history::SlotStore::letter(i))));
    b.setBounds({inLeftColumn(i) ? 8 : 172, rowTop(i), 25, 20});
    b.setHandCursor(true);
    b.hide();
    form.addControl(b);
  }
  allClearButton.setCaption(texts_.allClear);
  allClearButton.setBounds({76, 4, 56, 19});
  allClearButton.setHandCursor(true);
  form.addControl(allClearButton);
  cbClearButton.setCaption(texts_.clipboardClear);
  cbClearButton.setBounds({138, 4, 56, 19});
  cbClearButton.hide();
  form.addControl(cbClearButton);
  for (int i = 1; i <= files::kSlotCount; ++i) {
    const auto k = static_cast<std::size_t>(i);
    slotMemos[k] = std::make_unique<ui::Memo>("Memo" + std::to_string(i));
    ui::Memo& m = *slotMemos[k];
    m.setBounds({inLeftColumn(i) ? 39 : 203, rowTop(i), 100, 20});
    m.setReadOnly(true);
    m.setTabStop(false);
    m.setHandCursor(true);
    m.setShowHint(true);
    m.popupMenu = &slotMenu;
    // A box that was never loaded holds a single line break, as a fresh text box does.
    m.setText(text::Text::fromBytes("\r\n"));
    m.hide();
    form.addControl(m);
  }
  for (int i = 1; i <= files::kSlotCount; ++i) {
    const auto k = static_cast<std::size_t>(i);
    recallButtons[k] = std::make_unique<ui::Button>("Button" + std::to_string(i));
    recallButtons[k]->setCaption(
        text::Text::fromBytes(std::string(1, history::SlotStore::letter(i))));
    recallButtons[k]->setBounds({0, 400, 25, 20});
    recallButtons[k]->hide();
    form.addControl(*recallButtons[k]);
  }
  for (int i = 1; i <= files::kSlotCount; ++i) {
    const auto k = static_cast<std::size_t>(i);
    keepBoxes[k] = std::make_unique<ui::CheckBox>("CheckBox" + std::to_string(i));
    keepBoxes[k]->setBounds({inLeftColumn(i) ? 145 : 309, rowTop(i) + 2, 15, 17});
    keepBoxes[k]->hide();
    form.addControl(*keepBoxes[k]);
  }
  spareButton.setBounds({0, 400, 25, 20});
  spareButton.hide();
  form.addControl(spareButton);
  slotFocusSink.setCaption(text::Text::fromBytes("T"));
  slotFocusSink.setBounds({40, 400, 25, 20});
  form.addControl(slotFocusSink);
  definitionLines.hide();
  definitionLines.setBounds({0, 430, 100, 50});
  form.addControl(definitionLines);
  sequenceButton.setCaption(texts_.sequenceStart);
  sequenceButton.setBounds({8, 4, 62, 19});
  form.addControl(sequenceButton);
  foldedFocusSink.setCaption(text::Text::fromBytes("Button24"));
  foldedFocusSink.setBounds({80, 400, 60, 20});
  form.addControl(foldedFocusSink);

  deleteItem.setCaption(texts_.menuDelete);
  editItem.setCaption(texts_.menuEdit);
  slotMenu.addChild(deleteItem);
  slotMenu.addChild(editItem);
  slotMenu.items = {&deleteItem, &editItem};
  form.addControl(slotMenu);
  trayCloseItem.setCaption(texts_.menuClose);
  trayMenu.addChild(trayCloseItem);
  trayMenu.items = {&trayCloseItem};
  form.addControl(trayMenu);
  form.addControl(keepGuardTimer);
  form.addControl(colourTimer);
}

history::PanelControls MainForm::panelControls() {
  history::PanelControls c;
  c.form = &form;
  for (int i = 1; i <= files::kSlotCount; ++i) {
    const auto k = static_cast<std::size_t>(i);
    c.rows[k] = {slotMemos[k].get(), keepBoxes[k].get(), letterButtons[k].get()};
  }
  c.guardTimer = &keepGuardTimer;
  c.colourTimer = &colourTimer;
  c.clipboardClear = &cbClearButton;
  c.definitions = &definitionFile_;
  return c;
}

void MainForm::formCreate() {
  p_.addTrayIcon(texts_.appTitle);
  text::Text startupText;
  try {
    startupText = p_.readClipboardText();
  } catch (const platform::Error&) {
    // Held open by another program: nothing to re-copy, and nothing of it is touched.
  }
  state_.marks.slotSelection.fill(0);
  state_.marks.keepGuard.fill(0);
  p_.registerHotkey();
  // The start-up text enters the history below, once the files are loaded, captured directly:
  // copying it back would replace everything else the clipboard holds (rich text, characters
  // outside the code page). Until then the capture of joining sees no text.
  startupTextAside_ = !startupText.empty();
  p_.startClipboardListening();
  startupTextAside_ = false;
  p_.setHintTiming(0, 10000);
  // Just right of the middle of the primary screen, at its top edge; the 150 is a distance of
  // the layout, as wide as the screen scales it.
  form.setTop(history::kPanelTop);
  form.setLeft(p_.screenWidth() / 2 - p_.layoutPixels(form, 150));
  form.setWidth(335);

  files::discardUnfinishedSaves(p_);
  definitionFile_.discardUnfinishedSave();
  // A save cut short is finished before anything is read; one that cannot be finished yet may
  // have renamed slot A's file away, which is no first start.
  const bool finished = store_->finishUnfinishedSave();
  std::vector<text::Text> parked;
  try {
    if (!finished || p_.fileExists(files::slotFileName(1))) {
      for (int i = 1; i <= files::kSlotCount; ++i)
        store_->loadSlot(i);
      definitionFile_.load();
      parked = store_->parkedTexts();
    } else {
      for (int i = 1; i <= files::kSlotCount; ++i)
        store_->clearText(i);
      // Twenty empty slot files, then the (empty) definition file.
      store_->syncFiles();
      store_->discardFileLeftovers();
    }
  } catch (const platform::Error& e) {
    // The files of a first start could not be written: the remaining steps are skipped; the
    // clipboard was never touched.
    p_.showError(e.what());
    return;
  }

  for (int i = 1; i <= files::kSlotCount; ++i)
    if (!store_->isEmpty(i)) store_->showRow(i);

  const std::string line0 = ui::textLine(definitionLines.text().bytes(), 0);
  if (line0.size() == 1 && line0[0] >= 'A' && line0[0] <= 'T') {
    // Restoring what the files say changes nothing to save.
    ++slotChanges_;
    keepMarks_->restore(line0[0] - 'A' + 1);
    --slotChanges_;
  }

  // A kill in the middle of moving files may have left a text only in a parked file: it comes
  // back as the newest entry (its capture saves it), before the leftovers go. The same cut move
  // left the text moved before it in two slots; in a full history that second copy makes room,
  // so that no text drops out for the parked one.
  for (const text::Text& t : parked) {
    if (store_->firstMatch(t)) continue;
    bool full = true;
    for (int i = 1; i <= files::kSlotCount; ++i)
      full = full && !store_->isEmpty(i);
    if (const int twin = full ? store_->secondCopy() : 0) store_->clearText(twin);
    capture_->captureText(t);
  }
  store_->discardFileLeftovers();

  // A start-up text is still aside: the panel stands as for an empty clipboard until the text
  // is captured.
  if (startupText.empty() && p_.clipboardHasText())
    store_->toStrip();
  else
    store_->zeroHeight();

  if (!startupText.empty()) {
    capture_->captureText(startupText);
    if (int i = store_->firstMatch(startupText)) {
      form.setCaption(store_->clipboardCaption(i, startupText));
      store_->memo(i).setColor(history::kMatchColour);
    }
  }
}

void MainForm::formShow() {
  p_.showNoActivate(form);
}

void MainForm::trayCloseClick() {
  if (form.outerHeight() == 0) {
    form.setOuterHeight(history::kTitleBarHeight);
    store_->toStrip();
  }
  if (form.close()) p_.quit();
}

void MainForm::saveAll() {
  // Every change of the slots has already reached the files; whatever did not (a save that
  // failed, a file removed behind the program's back) goes now.
  store_->syncAllFiles();
}

void MainForm::changingSlots(const std::function<void()>& handler) {
  ++slotChanges_;
  try {
    handler();
  } catch (const platform::FileError& e) {
    // A save inside the handler failed: told once like any failed save.
    if (--slotChanges_ != 0) throw;
    if (store_->saveChanges()) return;
    store_->tellSaveFailure(e);
    return;
  } catch (...) {
    // The files follow whatever the panel shows, also after a handler that ended early.
    if (--slotChanges_ == 0) try {
        store_->syncFiles();
      } catch (const platform::Error&) {
        // The handler's own error is the one the user is told of.
      }
    throw;
  }
  if (--slotChanges_ != 0) return;
  // Told once like any failed save, but the change itself is done: a window the handler closed
  // stays closed.
  store_->saveChanges();
}

void MainForm::formClose() {
  // Only the sequence insertion's own last value is taken off the clipboard at exit; an empty or
  // non-text clipboard belongs to the user and stays as it is.
  if (!state_.insertion.lastInsertedText.empty() &&
      p_.readClipboardText() == state_.insertion.lastInsertedText)
    p_.clearClipboard();
  saveAll();
}

void MainForm::formDestroy() {
  if (destroyed_) return;
  destroyed_ = true;
  p_.stopClipboardListening();
  p_.unregisterHotkey();
  p_.removeTrayIcon();
}

void MainForm::drawClipboard() {
  if (startupTextAside_)
    capture_->captureText({});
  else
    capture_->wmDrawClipboard();
}

void MainForm::clipboardRead(const platform::ClipboardRead& read) {
  capture_->clipboardRead(read);
}

void MainForm::hotKey() {
  store_->updateClearButton();
  if (store_->expanded()) return;
  const platform::WindowHandle before = p_.foregroundWindow();
  p_.bringApplicationToFront();
  const platform::WindowHandle after = p_.foregroundWindow();
  if (before != after) state_.summon.returnWindow = before;
  if (form.top() < history::kPanelTop) {
    // Back at the primary screen's top edge, and wholly over that screen: a panel dragged up
    // onto a screen above it or to its side would otherwise hang where no screen shows it.
    const int room = p_.screenWidth() - p_.layoutPixels(form, form.width());
    form.setBounds({std::clamp(form.left(), 0, std::max(0, room)), history::kPanelTop, form.width(),
                    form.height()});
  }
  if (form.outerHeight() < history::kExpandedThreshold) colourTimer.start();
  if (!form.active()) {
    p_.renewClipboardListening();
    state_.summon.returnCursorPos = p_.cursorPos();
    // During a run the newly remembered window becomes the insertion target, unless the run
    // replaces field contents, which must stay with the window it was started for.
    if (hintForm && hintForm->visible() && !(replaceInField && replaceInField->checked()))
      state_.insertion.insertTargetWindow = state_.summon.returnWindow;
    p_.setCursorPos(p_.clientToScreen(sequenceButton, {0, 0}));
  }
  if (state_.insertion.ctrlDown) state_.insertion.ctrlChord = true;
  store_->expand();
  if (sequenceButton.enabled()) form.setFocus(&sequenceButton);
  form.setTopmost(false);
}

void MainForm::trayIcon(int mouseMessage) {
  const platform::Point at = p_.cursorPos();
  if (mouseMessage == platform::kWmLButtonDown) {
    if (state_.insertion.ctrlDown) state_.insertion.ctrlChord = true;
    store_->expand();
    store_->updateClearButton();
    colourTimer.start();
    form.setTopmost(true);
    p_.bringApplicationToFront();
    if (renewInputHook) renewInputHook->performClick();
  } else if (mouseMessage == platform::kWmRButtonDown) {
    p_.popupMenu(trayMenu, at);
  }
}

bool MainForm::ncLButtonDown(int hitTest) {
  if (hitTest != platform::kHtCaption) return true;
  store_->updateClearButton();
  if (store_->expanded()) {
    form.setFocus(&foldedFocusSink);
    form.setTopmost(true);
    if (!p_.clipboardHasText()) store_->zeroHeight();
    store_->toStrip();
    if (settingsForm && settingsForm->visible()) p_.bringApplicationToFront();
    return false;
  }
  if (sequenceButton.enabled()) form.setFocus(&sequenceButton);
  if (state_.insertion.ctrlDown) state_.insertion.ctrlChord = true;
  store_->expand();
  form.setTopmost(false);
  colourTimer.start();
  return true;
}

void MainForm::ncLButtonDblClk(int hitTest) {
  if (hitTest == platform::kHtCaption) store_->zeroHeight();
}

void MainForm::powerBroadcast(int event) {
  if (event >= kPbtApmQuerySuspend && event <= kPbtApmQueryStandbyFailed)
    keepGuardTimer.stop();
  else if (event >= kPbtApmResumeCritical && event <= kPbtApmResumeStandby)
    p_.renewClipboardListening();
}

void MainForm::applicationDeactivate() {
  if (!p_.clipboardHasText()) store_->zeroHeight();
  if (store_->expanded() && !(settingsForm && settingsForm->visible())) {
    form.setTopmost(true);
    store_->toStrip();
    if (deleteItem.enabled()) state_.marks.clearSelection();
  }
}

void MainForm::endSession() {
  // What the close saves, with nobody to answer: every file is tried however another fails,
  // nothing is shown, the clipboard is left alone, and files that already hold their slot's
  // text are not written again (the system ends the process soon after this returns).
  // Nobody waits for a file another program holds now.
  p_.stopWaitingForFiles();
  try {
    store_->syncAllFiles(true);
  } catch (const std::exception&) {
    // Not saved; nothing more can be done now.
  }
  p_.quit();
}

void MainForm::inputEvent(const platform::InputEvent& e) {
  // The input hook is installed only while a sequence insertion runs.
  if (insertionDriver) insertionDriver->inputEvent(e);
}

void MainForm::sequenceButtonClick() {
  state_.marks.clearSelection();
  colourTimer.start();
  if (sequenceButton.caption() == texts_.sequenceStop) {
    if (insertionDriver) insertionDriver->stop();
    return;
  }
  if (form.active() && store_->expanded()) {
    form.setTopmost(true);
    state_.insertion.insertTargetWindow = state_.summon.returnWindow;
    state_.insertion.insertCursorPos = state_.summon.returnCursorPos;
    store_->toStrip();
    form.setFocus(&foldedFocusSink);
    // Everything is on disk before the user goes on elsewhere.
    saveAll();
  }
  // The settings window shows the definitions: those of the file, if it can be read by now.
  definitionFile_.current();
  if (sequenceSettings) sequenceSettings->showForSequence();
}

}  // namespace app
