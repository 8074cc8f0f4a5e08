#include "app/program.h"

namespace app {

Program::Program(platform::Platform& p) : p_(p), texts_(p) {}

Program::~Program() {
  shutdown();
}

bool Program::start() {
  if (!p_.acquireInstanceMutex("Kolvex20")) {
    p_.messageBox(texts_.alreadyRunning);
    return false;
  }
  p_.setupApplicationWindow(texts_.appTitle);

  main_ = std::make_unique<MainForm>(p_, texts_, state_);
  // The other two windows' controls exist from here on, so the panel may consult them at any
  // time; their creation handlers run after the main window's, which loads the definitions.
  settings_ = std::make_unique<sequence::SettingsForm>(p_, main_->definitionFile());
  hint_ = std::make_unique<sequence::HintForm>(p_);
  main_->settingsForm = &settings_->form;
  main_->hintForm = &hint_->form;
  main_->replaceInField = &settings_->replaceBox;
  main_->renewInputHook = &settings_->renewHookButton;
  wireSequenceInsertion();
  connectEditor();
  p_.realize(main_->form);
  p_.setMainForm(main_->form, *main_);
  platform::runHandler(p_, [this] { main_->formCreate(); });

  p_.realize(settings_->form);
  platform::runHandler(p_, [this] { settings_->formCreate(); });
  p_.realize(hint_->form);
  platform::runHandler(p_, [this] { hint_->formCreate(); });
  settings_->form.hide();
  hint_->form.hide();

  platform::runHandler(p_, [this] { main_->formShow(); });
  return true;
}

void Program::wireSequenceInsertion() {
  sequence::SettingsForm& s = *settings_;
  s.panel = &main_->form;
  s.panelDelete = &main_->deleteItem;
  s.panelEdit = &main_->editItem;
  sequence::InsertionDriver::Controls c;
  c.replaceWarning = p_.encode(
      "　　　　　テキストボックス内の文字列を削除して置き換えます。\r\n\r\n"
      "要注意：テキストボックス以外で使用すると全て削除されます。\r\n\r\n"
      "　　　　　よろしいですか？");
  c.settings = &s.form;
  c.prefix = &s.prefixEdit;
  c.kinds = &s.kindCombo;
  c.start = &s.startCombo;
  c.end = &s.endEdit;
  c.suffix = &s.suffixEdit;
  c.continuous = &s.continuousBox;
  c.repeat = &s.repeatBox;
  c.lineBreak = &s.lineBreakBox;
  c.anyCursor = &s.anyCursorBox;
  c.replace = &s.replaceBox;
  c.anyWindow = &s.anyWindowBox;
  c.cooldown = &s.cooldownTimer;
  c.paste = &s.pasteTimer;
  c.renewal = &s.hookRenewalTimer;
  c.hint = hint_.get();
  c.panel = &main_->form;
  c.sequenceButton = &main_->sequenceButton;
  c.deleteItem = &main_->deleteItem;
  c.editItem = &main_->editItem;
  c.startCaption = texts_.sequenceStart;
  c.stopCaption = texts_.sequenceStop;
  driver_ = std::make_unique<sequence::InsertionDriver>(p_, state_.insertion, std::move(c));

  sequence::InsertionDriver& d = *driver_;
  s.startButton.onClick = [&d] { d.startClick(); };
  s.cooldownTimer.onTimer = [&d] { d.cooldownEnded(); };
  s.pasteTimer.onTimer = [&d] { d.sendPaste(); };
  s.hookRenewalTimer.onTimer = [&d] { d.renewHook(); };
  s.renewHookButton.onClick = [&d] { d.renewHook(); };
  main_->sequenceSettings = settings_.get();
  main_->insertionDriver = driver_.get();
}

void Program::connectEditor() {
  MainForm& m = *main_;
  sequence::SettingsForm& s = *settings_;
  recall::SlotEditor::Context c;
  c.platform = &p_;
  c.store = &m.store();
  c.marks = &state_.marks;
  c.interlocked = {&m.sequenceButton, &m.allClearButton, &m.deleteItem, &m.editItem};
  c.deleteItem = &m.deleteItem;
  c.editItem = &m.editItem;
  c.window = &s.form;
  c.panel = &s.slotEditorPanel;
  c.memo = &s.slotEditorMemo;
  c.saveAll = [&m] { m.saveAll(); };
  c.captionPrefix = p_.fromUtf8("Kolvex20:編集");
  c.emptiedMessage = p_.encode(
      "編集で全ての文字列が削除されました\r\n\r\n登録内容の削除は編集モードではできません");
  c.confirmClose = p_.encode("編集を終了しますか？");
  editor_ = std::make_unique<recall::SlotEditor>(std::move(c));
  m.editItem.onClick = [this] { editor_->editItemClick(); };
  // A recall during editing must leave the edit target alone.
  m.editorOpen = [this] { return editor_->isOpen(); };
  s.editorCloseQuery = [this] { return editor_->formCloseQuery(); };
  s.editorClose = [this, &m] { m.changingSlots([this] { editor_->formClose(); }); };
}

void Program::shutdown() {
  if (main_) main_->formDestroy();
  if (driver_) driver_->formDestroy();
}

int runProgram(platform::Platform& platform) {
  Program program(platform);
  if (!program.start()) return 0;
  platform.run();
  program.shutdown();
  return 0;
}

}  // namespace app
