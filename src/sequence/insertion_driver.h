// The insertion driver: once a run is started from the settings window it watches the desktop's
// input, arms on a lone Ctrl tap, and on the next left-button release over a permitted text field
// puts prefix + value + suffix on the clipboard and pastes it there with a synthetic Ctrl+V.
// It ends the run after its last value (or starts it over with "繰り返し"), and is stopped from
// the panel's "連番中止".
//
// The flags other parts of the program read (insertArmed, ctrlDown, ctrlChord, lastInsertedText,
// insertTargetWindow) are InsertionFlags the program shares; the rest of the driver's state is
// its own.
#pragma once

#include <string>

#include "platform/platform.h"
#include "sequence/hint_form.h"
#include "sequence/insertion_flags.h"
#include "sequence/values.h"
#include "ui/widgets.h"

namespace sequence {

class InsertionDriver {
 public:
  // Virtual-key codes the driver reads and sends.
  static constexpr int kVkShift = 16;
  static constexpr int kVkControl = 17;
  static constexpr int kVkLeft = 37;
  static constexpr int kVkRight = 39;
  static constexpr int kVkDelete = 46;
  static constexpr int kVkA = 65;
  static constexpr int kVkV = 86;
  // Pauses inside the synthetic Ctrl+V, so that slow programs see the chord.
  static constexpr int kPasteCtrlDownPause = 100;
  static constexpr int kPasteVDownPause = 150;
  static constexpr int kPasteVUpPause = 100;

  // What the driver reads and drives; all owned by the windows of the program.
  struct Controls {
    // The settings window and its fields and options.
    ui::Form* settings = nullptr;
    ui::Edit* prefix = nullptr;
    ui::ComboBox* kinds = nullptr;
    ui::ComboBox* start = nullptr;
    ui::Edit* end = nullptr;
    ui::Edit* suffix = nullptr;
    ui::CheckBox* continuous = nullptr;  // 連続挿入
    ui::CheckBox* repeat = nullptr;      // 繰り返し
    ui::CheckBox* lineBreak = nullptr;   // 改行
    ui::CheckBox* anyCursor = nullptr;   // カーソル
    ui::CheckBox* replace = nullptr;     // TB内置換
    ui::CheckBox* anyWindow = nullptr;   // ウインドウ
    ui::Timer* cooldown = nullptr;       // 500 ms
    ui::Timer* paste = nullptr;          // 100 ms
    ui::Timer* renewal = nullptr;        // 1000 ms
    // The hint window.
    HintForm* hint = nullptr;
    // The main panel: whether it is active, its "連番入力" button and the popup items that stay
    // disabled while a run is on.
    ui::Form* panel = nullptr;
    ui::Button* sequenceButton = nullptr;
    ui::MenuItem* deleteItem = nullptr;
    ui::MenuItem* editItem = nullptr;
    text::Text startCaption;     // 連番入力
    text::Text stopCaption;      // 連番中止
    std::string replaceWarning;  // the confirmation before a run that replaces field contents
  };

  InsertionDriver(platform::Platform& p, InsertionFlags& state, Controls c);
  InsertionDriver(const InsertionDriver&) = delete;
  InsertionDriver& operator=(const InsertionDriver&) = delete;

  // "スタート", and the restart of a repeated run.
  void startClick();
  // Every recorded input event of the desktop while the hook is installed.
  void inputEvent(const platform::InputEvent& e);
  // The cool-down after an insertion is over.
  void cooldownEnded();
  // The synthetic Ctrl+V.
  void sendPaste();
  // The renewal timer, and the hidden renewal button the tray click performs: the hook is installed
  // anew, since the system may have dropped it.
  void renewHook();
  // "連番中止" on the panel.
  void stop();
  // Program exit.
  void formDestroy();

  bool running() const { return c_.hint->isOpen(); }
  bool pasteCooldown() const { return pasteCooldown_; }
  const RunState& run() const { return run_; }

 private:
  RunSettings readSettings() const;
  // The prepared value with the prefix and suffix as the user typed them, exactly; framed by
  // `frame` on both sides (the hint's spaces) or followed by `end` (the line break).
  text::Text composed(const text::Text& frame, const text::Text& end) const;
  bool cursorOk(platform::CursorShape shape) const;
  void installHook();
  void removeHook();
  void ctrlRelease();
  void handleInputEvent(platform::InputEvent::Kind kind);
  void insert();
  void sendReplacementKeys(std::size_t n);
  void endOfRun();
  void key(int vk, bool up) { p_.sendKey(vk, up); }
  void tap(int vk) {
    key(vk, false);
    key(vk, true);
  }

  platform::Platform& p_;
  InsertionFlags& state_;
  Controls c_;
  RunState run_;
  bool repeatRestart_ = false;
  bool pasteCooldown_ = false;
  // Whether the hook is ours to handle: events still queued when it was removed are not.
  bool hooked_ = false;
};

}  // namespace sequence
