// The running program with its settings window open, driven as the user drives it.
#pragma once

#include <string>
#include <vector>

#include "support/sim_fixture.h"

namespace testing_support {

class SettingsWindowFixture : public SimFixture {
 protected:
  sequence::SettingsForm& w() { return program->settings(); }
  ui::Memo& buffer() { return panel().definitionLines; }
  std::string ini() { return file("Kolvex20.ini"); }
  std::string bufferLineOf(int n) { return ui::textLine(buffer().text().bytes(), n); }
  std::string head(int n) { return cp932("定義") + std::to_string(n); }

  // Starts with these definition-file bytes and shows the settings window.
  void startWith(const std::string& iniBytes) {
    writeSlotFiles({"slot A"}, iniBytes);
    start();
    handle([this] { w().form.show(); });
  }
  // One message of the loop, as the desktop runs it (errors end up in the error box).
  template <class F>
  void handle(F&& f) {
    platform::runHandler(*platform, f);
  }
  // The user tabs or clicks into a control: the backend reports the focus change.
  void focus(ui::Control& c) {
    handle([this, &c] { w().form.setFocus(&c); });
  }
  void openEditor() { platform->click(w().defineButton); }
  void chooseDefinition(int n) {
    focus(w().radioButton(n));
    platform->click(w().radioButton(n));
  }
  void type(const std::string& editorText) { w().definitionMemo.userSetText(bytes(editorText)); }
  void finishEditing() { platform->click(w().finishDefiningButton); }
  void chooseKind(int k) {
    handle([this, k] { w().kindCombo.userSelect(k); });
  }
  // A typed character after the field's key filter; 0 when it was dropped.
  char keyPress(ui::Control& field, char ch) {
    handle([&] { field.onKeyPress(ch); });
    return ch;
  }
};

}  // namespace testing_support
