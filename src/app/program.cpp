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
  main_->replaceInField = &settings_->checkBox5;
  main_->renewInputHook = &settings_->speedButton3;
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
  s.panelDelete = &main_->n1;
  s.panelEdit = &main_->n2;
  sequence::InsertionDriver::Controls c;
  c.replaceWarning = p_.fromUtf8(
      "　　　　　テキストボックス内の文字列を削除して置き換えます。\r\n\r\n"
      "要注意：テキストボックス以外で使用すると全て削除されます。\r\n\r\n"
      "　　　　　よろしいですか？");
  c.settings = &s.form;
  c.prefix = &s.edit1;
  c.kinds = &s.comboBox2;
  c.start = &s.comboBox1;
  c.end = &s.edit2;
  c.suffix = &s.edit3;
  c.continuous = &s.checkBox1;
  c.repeat = &s.checkBox2;
  c.lineBreak = &s.checkBox3;
  c.anyCursor = &s.checkBox4;
  c.replace = &s.checkBox5;
  c.anyWindow = &s.checkBox6;
  c.cooldown = &s.timer1;
  c.paste = &s.timer2;
  c.renewal = &s.timer3;
  c.hint = hint_.get();
  c.panel = &main_->form;
  c.sequenceButton = &main_->button23;
  c.deleteItem = &main_->n1;
  c.editItem = &main_->n2;
  c.startCaption = texts_.sequenceStart;
  c.stopCaption = texts_.sequenceStop;
  driver_ = std::make_unique<sequence::InsertionDriver>(p_, state_.insertion, std::move(c));

  sequence::InsertionDriver& d = *driver_;
  s.button1.onClick = [&d] { d.button1Click(); };
  s.timer1.onTimer = [&d] { d.timer1Timer(); };
  s.timer2.onTimer = [&d] { d.timer2Timer(); };
  s.timer3.onTimer = [&d] { d.timer3Timer(); };
  s.speedButton3.onClick = [&d] { d.timer3Timer(); };
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
  c.interlocked = {&m.button23, &m.speedButton41, &m.n1, &m.n2};
  c.deleteItem = &m.n1;
  c.editItem = &m.n2;
  c.window = &s.form;
  c.panel = &s.panel2;
  c.memo = &s.memo22;
  c.saveAll = [&m] { m.saveAll(); };
  c.captionPrefix = p_.text("Kolvex20:編集");
  c.emptiedMessage = p_.fromUtf8(
      "編集で全ての文字列が削除されました\r\n\r\n登録内容の削除は編集モードではできません");
  c.confirmClose = p_.fromUtf8("編集を終了しますか？");
  editor_ = std::make_unique<recall::SlotEditor>(std::move(c));
  m.n2.onClick = [this] { editor_->n2Click(); };
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
