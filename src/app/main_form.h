// The main window: the history panel hanging from the top of the screen. It owns the controls
// and routes their events to the units that carry the behaviour (slot store, capture, keep
// marks, ...).
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>

#include "app/program_state.h"
#include "app/strings.h"
#include "files/definition_file.h"
#include "history/capture.h"
#include "history/keep_marks.h"
#include "history/slot_store.h"
#include "platform/platform.h"
#include "recall/delete_clear.h"
#include "recall/keyboard.h"
#include "recall/recall.h"
#include "ui/widgets.h"

namespace sequence {
class InsertionDriver;
class SettingsForm;
}  // namespace sequence

namespace app {

class MainForm : public platform::ShellEvents {
 public:
  MainForm(platform::Platform& p, const Texts& texts, ProgramState& state);
  ~MainForm() override;

  // Window lifecycle.
  void formCreate();
  void formShow();
  void trayCloseClick();
  void formClose();
  void formDestroy();

  // Messages of the desktop.
  void drawClipboard() override;
  void clipboardRead(const platform::ClipboardRead& read) override;
  void hotKey() override;
  void trayIcon(int mouseMessage) override;
  bool ncLButtonDown(int hitTest) override;
  void ncLButtonDblClk(int hitTest) override;
  void powerBroadcast(int event) override;
  void applicationDeactivate() override;
  void endSession() override;
  void inputEvent(const platform::InputEvent& e) override;

  // "連番入力" opens the settings window; "連番中止" stops the running insertion.
  void sequenceButtonClick();

  // Writes the keep state to line 0 of the definitions and the definition file, and brings the
  // slot files up to the slots. Throws on the first file that cannot be written.
  void saveAll();
  // Runs a handler that may change the slots (also nested in another such handler); when the
  // outermost is done, the files hold what the panel shows, before the next event is handled.
  void changingSlots(const std::function<void()>& handler);

  ui::Form form{"TForm3"};
  ui::Label creditLabel{"Label1"};
  std::array<std::unique_ptr<ui::SpeedButton>, 21> letterButtons;  // SpeedButton21..40
  ui::SpeedButton allClearButton{"SpeedButton41"};                 // All Clear
  ui::SpeedButton cbClearButton{"SpeedButton1"};                   // C,B Clear
  std::array<std::unique_ptr<ui::Memo>, 21> slotMemos;             // Memo1..20
  std::array<std::unique_ptr<ui::Button>, 21> recallButtons;       // Button1..20
  std::array<std::unique_ptr<ui::CheckBox>, 21> keepBoxes;         // CheckBox1..20
  ui::Button spareButton{"Button21"};
  ui::Button slotFocusSink{"Button22"};    // focus sink for the slot text boxes
  ui::Memo definitionLines{"Memo21"};      // the definition file's lines
  ui::Button sequenceButton{"Button23"};   // 連番入力
  ui::Button foldedFocusSink{"Button24"};  // focus sink while the panel is folded
  ui::PopupMenu slotMenu{"PopupMenu1"};
  ui::MenuItem deleteItem{"N1"};
  ui::MenuItem editItem{"N2"};
  ui::PopupMenu trayMenu{"PopupMenu2"};
  ui::MenuItem trayCloseItem{"N3"};
  ui::Timer keepGuardTimer{"Timer1", 500};
  ui::Timer colourTimer{"Timer2", 50};

  history::SlotStore& store() { return *store_; }
  files::DefinitionFile& definitionFile() { return definitionFile_; }
  history::KeepMarks& keepMarks() { return *keepMarks_; }
  recall::Recall& recall() { return *recall_; }

  // Other windows the panel consults (settings/editor window, hint window).
  ui::Form* settingsForm = nullptr;
  ui::Form* hintForm = nullptr;
  ui::CheckBox* replaceInField = nullptr;  // the settings window's "TB内置換"
  ui::Button* renewInputHook = nullptr;    // the settings window's hidden hook-renewal button
  // The slot editor (the settings window's editor mode) is open.
  std::function<bool()> editorOpen;
  // Sequence insertion: the settings window and the driver of a run.
  sequence::SettingsForm* sequenceSettings = nullptr;
  sequence::InsertionDriver* insertionDriver = nullptr;

 private:
  void buildControls();
  history::PanelControls panelControls();

  platform::Platform& p_;
  const Texts& texts_;
  ProgramState& state_;
  files::DefinitionFile definitionFile_{p_, definitionLines};
  std::unique_ptr<history::SlotStore> store_;
  std::unique_ptr<history::Capture> capture_;
  std::unique_ptr<history::KeepMarks> keepMarks_;
  std::unique_ptr<recall::Recall> recall_;
  std::unique_ptr<recall::DeleteClear> deleteClear_;
  std::unique_ptr<recall::Keyboard> keyboard_;
  bool destroyed_ = false;
  int slotChanges_ = 0;
  // Start-up: the clipboard text is held back for its capture after the files are loaded.
  bool startupTextAside_ = false;
};

}  // namespace app
