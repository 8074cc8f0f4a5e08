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
  main_->settingsForm = &settings_;
  main_->hintForm = &hint_;
  p_.realize(main_->form);
  p_.setMainForm(main_->form, *main_);
  platform::runHandler(p_, [this] { main_->formCreate(); });

  settings_.setCaption(texts_.settingsCaption);
  settings_.setBounds({0, 0, 384, 185});
  p_.realize(settings_);
  hint_.setCaption(texts_.hintCaption);
  hint_.setBounds({0, 0, 6, 18});
  hint_.dialogFrame = false;
  hint_.setTopmost(true);
  p_.realize(hint_);
  settings_.hide();
  hint_.hide();

  platform::runHandler(p_, [this] { main_->formShow(); });
  return true;
}

void Program::shutdown() {
  if (main_) main_->formDestroy();
}

int runProgram(platform::Platform& platform) {
  Program program(platform);
  if (!program.start()) return 0;
  platform.run();
  program.shutdown();
  return 0;
}

}  // namespace app
