// Program entry, shared by Kolvex20.exe and the simulated desktop.
#pragma once

#include "platform/platform.h"

namespace app {

// Refuses a second instance, creates the three windows and runs the message loop until the
// program is closed from its tray menu. Returns the process exit code.
int runProgram(platform::Platform& platform);

}  // namespace app

#include <memory>

#include "app/main_form.h"
#include "app/program_state.h"
#include "app/strings.h"
#include "recall/slot_editor.h"
#include "sequence/hint_form.h"
#include "sequence/insertion_driver.h"
#include "sequence/settings_form.h"

namespace app {

// The running program: its texts, its shared state and its three windows.
class Program {
 public:
  explicit Program(platform::Platform& p);
  ~Program();

  // Entry up to the message loop. False when another instance already runs (after telling the
  // user so); nothing else is created then.
  bool start();
  // The slot editor between the panel's popup menu and TForm1's editor mode.
  void connectEditor();
  // Releases what the main window holds on the desktop (listener, hotkey, tray icon).
  void shutdown();

  MainForm& mainForm() { return *main_; }
  ui::Form& settingsForm() { return settings_->form; }
  ui::Form& hintForm() { return hint_->form; }
  sequence::SettingsForm& settings() { return *settings_; }
  sequence::HintForm& hint() { return *hint_; }
  sequence::InsertionDriver& insertionDriver() { return *driver_; }
  recall::SlotEditor& editor() { return *editor_; }
  ProgramState& state() { return state_; }
  const Texts& texts() const { return texts_; }

 private:
  // Connects the settings window, the hint window and the panel to the insertion driver.
  void wireSequenceInsertion();

  platform::Platform& p_;
  Texts texts_;
  ProgramState state_;
  std::unique_ptr<MainForm> main_;
  std::unique_ptr<sequence::SettingsForm> settings_;  // TForm1
  std::unique_ptr<sequence::HintForm> hint_;          // TForm2
  std::unique_ptr<sequence::InsertionDriver> driver_;
  std::unique_ptr<recall::SlotEditor> editor_;  // TForm1's editor mode
};

}  // namespace app
