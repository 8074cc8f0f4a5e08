// A running program beside another program's window with a text field, and the user's way from
// the panel's "連番入力" through the settings window to clicks into that field.
#pragma once

#include <string>
#include <vector>

#include "support/sim_fixture.h"

namespace testing_support {

class InsertionFixture : public SimFixture {
 protected:
  static constexpr int kCtrl = 17;
  static constexpr platform::Rect kWindow{100, 100, 700, 500};
  static constexpr platform::Rect kField{100, 150, 600, 180};  // touches the window's left edge
  static constexpr platform::Point kInField{300, 165};

  // Starts the program with one slot filled while the user works in the other program.
  void SetUp() override { prepare(""); }
  void prepare(const std::string& definitionFile) {
    writeSlotFiles({"slot A"}, definitionFile);
    other = desktop->createOtherWindow(kWindow);
    field = &desktop->createTextField(other, kField);
    desktop->activateOther(other);
    desktop->cursor = kInField;
    start();
  }

  sequence::SettingsForm& w() { return program->settings(); }
  sequence::InsertionFlags& flags() { return program->state().insertion; }
  sequence::HintForm& hint() { return program->hint(); }
  template <class F>
  void handle(F&& f) {
    platform::runHandler(*platform, f);
  }

  // Ctrl+Shift in the other program, then "連番入力" on the dropped-down panel. The user takes
  // a moment for each step, as people do (the panel's colour pass runs meanwhile).
  void openSettings() {
    platform->hotkey();
    desktop->advance(200);
    platform->click(panel().sequenceButton);
    desktop->advance(200);
  }
  void type(ui::Edit& e, const std::string& text) {
    handle([&] { e.userSetText(bytes(text)); });
  }
  void type(ui::ComboBox& c, const std::string& text) {
    handle([&] { c.userSetText(text); });
  }
  // The usual settings of a run: prefix "No.", 1～end, suffix ")".
  void fillStandard(const std::string& end = "3") {
    type(w().prefixEdit, "No.");
    type(w().startCombo, "1");
    type(w().endEdit, end);
    type(w().suffixEdit, ")");
  }
  void check(ui::CheckBox& box) {
    if (!box.checked()) platform->click(box);
  }
  void pressStart() {
    platform->click(w().startButton);
    desktop->advance(200);
  }
  // Opens the settings window, fills in 1～end and starts.
  void startRun(const std::string& end = "3") {
    openSettings();
    fillStandard(end);
    pressStart();
  }
  // Over the field, a lone tap of Ctrl.
  void arm(platform::Point at = kInField) {
    desktop->userMoveMouse(at);
    desktop->userTap(kCtrl);
  }
  // A click at the point, then time for the paste and the cool-down to pass.
  void clickAndWait(platform::Point at = kInField) {
    desktop->userClickAt(at);
    desktop->advance(600);
  }
  std::string sequenceCaption() { return panel().sequenceButton.caption().bytes(); }

  platform::WindowHandle other = 0;
  sim::SimDesktop::TextField* field = nullptr;
};

}  // namespace testing_support
