#include "sequence/hint_form.h"

#include <string>

namespace sequence {

HintForm::HintForm(platform::Platform& p) {
  form.setCaption(p.fromUtf8("Kolvex20sub"));
  form.setBounds({0, 0, 6, 18});
  form.dialogFrame = false;
  // No task-bar button, and never the foreground: typing goes on in the program under it.
  form.toolWindow = true;
  form.noActivate = true;
  // Only the panel shows: the form's own colour around it is see-through.
  form.setTransparentColor(kFormColor);
  // Window and panel grow with the caption, so a long prefix or suffix stays on one line.
  form.autoSize = true;
  form.setTopmost(true);
  form.addControl(hintPanel);
  hintPanel.setBounds({0, 0, 6, 18});
  hintPanel.setColor(ui::kClInfoBk);
  hintPanel.setTabStop(false);
  hintPanel.autoSize = true;
  hintPanel.addChild(hintLabel);
  hintLabel.setBounds({1, 1, 4, 16});
  hintLabel.fontName = "Tahoma";
  hintLabel.fontHeight = 13;
  hintLabel.setColor(kNotArmed);
  hintLabel.hide();
  form.onActivate = [this] { formActivate(); };
}

void HintForm::formCreate() {
  form.setColor(kFormColor);
}

void HintForm::formActivate() {
  // Re-applied even when already set: the system puts the window back on top of the top-most
  // windows only when asked again.
  form.setTopmost(false);
  form.setTopmost(true);
}

void HintForm::moveTo(platform::Point pointer) {
  form.setBounds(
      {pointer.x + kPointerOffset, pointer.y + kPointerOffset, form.width(), form.height()});
}

void HintForm::setCaption(const text::Text& hintCaption) {
  hintLabel.setCaption(hintCaption);
}

void HintForm::showHint() {
  form.setTransparent(false);
  hintLabel.show();
}

void HintForm::hideHint() {
  form.setTransparent(true);
  hintLabel.hide();
}

void HintForm::setLabelColour(ui::Color colour) {
  hintLabel.setColor(colour);
}

void HintForm::open() {
  form.show();
}

void HintForm::close() {
  form.close();
}

}  // namespace sequence
