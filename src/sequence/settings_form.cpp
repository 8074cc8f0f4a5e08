#include "sequence/settings_form.h"

#include <initializer_list>
#include <string>

#include "sequence/values.h"

namespace sequence {
namespace {

constexpr const char* kTahoma = "Tahoma";
constexpr int kBaseFontHeight = 11;
constexpr int kEntryFontHeight = 13;
constexpr int kEntryMaxLength = 3;
constexpr int kPanelOpenHeight = 50;

constexpr int kVkReturn = 13;
constexpr int kVkShift = 16;
constexpr int kVkLeft = 37;
constexpr int kVkUp = 38;
constexpr int kVkRight = 39;
constexpr int kVkDown = 40;

constexpr std::array<const char*, 10> kDefinitionCaptions = {
    "定義１", "定義２", "定義３", "定義４", "定義５",
    "定義６", "定義７", "定義８", "定義９", "定義１０",
};

void place(ui::Control& c, int left, int top, int width, int height) {
  c.setBounds({left, top, width, height});
}

template <class Box>
void entryFont(Box& box) {
  box.fontName = kTahoma;
  box.fontHeight = kEntryFontHeight;
}

// A caption label and the entry field it names, side by side, in tab order.
template <class Field>
void addEntry(ui::Form& form, ui::Label& label, const text::Text& caption, ui::Bounds labelAt,
              Field& field, ui::Bounds fieldAt) {
  label.setCaption(caption);
  label.setBounds(labelAt);
  form.addControl(label);
  field.setBounds(fieldAt);
  entryFont(field);
  form.addControl(field);
}

// Leave check of a start or end field: an invalid standard entry is erased and the focus put
// back, without a message. Erasing first means the refocus cannot bounce back here.
// The start and end fields take only characters of the code page.
std::string_view entryText(const ui::ComboBox& c) {
  return c.text();
}
std::string_view entryText(const ui::TextBox& t) {
  return t.text().bytes();
}
void erase(ui::ComboBox& c) {
  c.setText("");
}
void erase(ui::TextBox& t) {
  t.clear();
}

template <class Field>
void checkOnLeave(ui::Form& form, Field& field, int kind) {
  if (keptOnLeave(entryText(field), kind)) return;
  erase(field);
  form.setFocus(&field);
}

}  // namespace

SettingsForm::SettingsForm(platform::Platform& p, files::DefinitionFile& definitions) : p_(p) {
  buildControls();
  DefinitionEditor::Controls c;
  c.form = &form;
  c.file = &definitions;
  c.panel = &definitionPanel;
  c.values = &definitionMemo;
  for (int n = 1; n <= 10; ++n)
    c.radioButtons[static_cast<std::size_t>(n - 1)] = &radioButton(n);
  c.kinds = &kindCombo;
  c.start = &startCombo;
  c.end = &endEdit;
  editor_ = std::make_unique<DefinitionEditor>(c);
  routeEvents();
}

void SettingsForm::buildControls() {
  auto text = [this](const char* utf8) { return p_.fromUtf8(utf8); };

  form.setCaption(text("Kolvex20:連番設定"));
  form.setBounds({0, 0, 384, 185});
  form.setColor(ui::kClSkyBlue);
  form.fontName = kTahoma;
  form.fontHeight = kBaseFontHeight;
  form.keyPreview = true;
  form.dialogFrame = true;
  form.sizeable = false;
  form.maximizeBox = false;
  form.centerOnScreen = true;

  // Added in tab order; labels, flat buttons and panels take no focus.
  addEntry(form, prefixLabel, text("前置文字列"), {6, 13, 55, 13}, prefixEdit, {72, 8, 238, 24});
  addEntry(form, kindLabel, text("連番選択"), {6, 48, 44, 13}, kindCombo, {72, 42, 113, 24});
  addEntry(form, startLabel, text("始値"), {192, 47, 22, 13}, startCombo, {222, 42, 55, 24});
  addEntry(form, endLabel, text("終値"), {284, 47, 22, 13}, endEdit, {317, 42, 45, 24});
  addEntry(form, suffixLabel, text("後置文字列"), {6, 83, 55, 13}, suffixEdit, {72, 78, 238, 24});
  for (ui::ComboBox* c : {&kindCombo, &startCombo}) {
    c->maxLength = kEntryMaxLength;
    c->imeOff = true;
    c->setHandCursor(true);
  }
  endEdit.setMaxLength(kEntryMaxLength);
  endEdit.imeOff = true;
  endEdit.codePageOnly = true;

  startButton.setCaption(text("スタート"));
  place(startButton, 224, 118, 60, 25);
  startButton.setHandCursor(true);
  form.addControl(startButton);
  closeButton.setCaption(text("閉じる"));
  place(closeButton, 299, 118, 60, 25);
  closeButton.setHandCursor(true);
  form.addControl(closeButton);

  buildDefinitionEditor();

  continuousBox.setCaption(text("連続挿入"));
  place(continuousBox, 152, 132, 66, 17);
  continuousBox.setHandCursor(true);
  repeatBox.setCaption(text("繰り返し"));
  place(repeatBox, 80, 132, 62, 17);
  repeatBox.setHandCursor(true);
  lineBreakBox.setCaption(text("改行"));
  place(lineBreakBox, 316, 82, 54, 17);
  lineBreakBox.setHint(text("チェックを入れると連番挿入と同時に改行します"));
  anyCursorBox.setCaption(text("カーソル"));
  place(anyCursorBox, 316, 12, 61, 17);
  anyCursorBox.setHint(text("チェックを入れるとテキストカーソル以外にも対応します"));
  replaceBox.setCaption(text("TB内置換"));
  place(replaceBox, 152, 111, 66, 17);
  anyWindowBox.setCaption(text("ウインドウ"));
  place(anyWindowBox, 80, 111, 66, 17);
  anyWindowBox.setHint(text("チェックを入れると全てのウインドウに対応します"));
  for (ui::CheckBox* box :
       {&continuousBox, &repeatBox, &lineBreakBox, &anyCursorBox, &replaceBox, &anyWindowBox})
    form.addControl(*box);

  defineButton.setCaption(text("連番定義"));
  place(defineButton, 8, 118, 60, 25);
  defineButton.setHandCursor(true);
  form.addControl(defineButton);
  place(renewHookButton, 0, 0, 23, 22);
  renewHookButton.hide();
  form.addControl(renewHookButton);

  buildSlotEditor();

  for (ui::Timer* t : {&cooldownTimer, &pasteTimer, &hookRenewalTimer})
    form.addControl(*t);
}

void SettingsForm::buildDefinitionEditor() {
  place(definitionPanel, -1, -2, 381, 163);
  definitionPanel.setColor(ui::kClSkyBlue);
  definitionPanel.setTabStop(false);
  definitionPanel.hide();
  form.addControl(definitionPanel);

  place(definitionMemo, 6, 8, 100, 150);
  definitionMemo.wordWrap = false;
  definitionMemo.scrollBars = true;
  // The definitions are kept in a file of code page bytes alone.
  definitionMemo.codePageOnly = true;
  definitionPanel.addChild(definitionMemo);

  // Two columns of five: label and radio button side by side.
  for (int n = 1; n <= 10; ++n) {
    const auto k = static_cast<std::size_t>(n - 1);
    const int row = (n - 1) % 5;
    const bool left = n <= 5;
    auto label = std::make_unique<ui::Label>("Label" + std::to_string(5 + n));
    label->setCaption(p_.fromUtf8(kDefinitionCaptions[k]));
    place(*label, left ? 112 : 244, 10 + 25 * row, left ? 33 : 44, 13);
    definitionPanel.addChild(*label);
    definitionLabels[k] = std::move(label);

    auto radio = std::make_unique<ui::RadioButton>("RadioButton" + std::to_string(n));
    place(*radio, left ? 150 : 290, 8 + 25 * row, 87, 17);
    definitionPanel.addChild(*radio);
    radioButtons[k] = std::move(radio);
  }

  finishDefiningButton.setCaption(p_.fromUtf8("設定終了"));
  place(finishDefiningButton, 290, 133, 87, 24);
  definitionPanel.addChild(finishDefiningButton);
}

void SettingsForm::buildSlotEditor() {
  // The client area of the editor window at its normal size.
  place(slotEditorPanel, 0, 0, 476, 258);
  slotEditorPanel.setColor(ui::kClSkyBlue);
  slotEditorPanel.setTabStop(false);
  slotEditorPanel.anchors = ui::kAnchorsAll;
  slotEditorPanel.hide();
  form.addControl(slotEditorPanel);
  place(slotEditorMemo, 10, 10, 459, 208);
  slotEditorMemo.scrollBars = true;
  slotEditorMemo.fontName = kTahoma;
  slotEditorMemo.fontHeight = 15;
  slotEditorMemo.anchors = ui::kAnchorsAll;
  slotEditorPanel.addChild(slotEditorMemo);
  editorCloseButton.setCaption(p_.fromUtf8("閉じる"));
  place(editorCloseButton, 388, 227, 75, 25);
  editorCloseButton.anchors = ui::kAnchorRight | ui::kAnchorBottom;
  slotEditorPanel.addChild(editorCloseButton);
}

void SettingsForm::routeEvents() {
  defineButton.onClick = [this] { defineButtonClick(); };
  finishDefiningButton.onClick = [this] { finishDefiningClick(); };
  for (int n = 1; n <= 10; ++n) {
    radioButton(n).onClick = [this, n] { radioButtonClick(n); };
    radioButton(n).onMouseEnter = [this, n] { editor_->showCaptionHint(n); };
  }
  definitionMemo.onExit = [this] { definitionMemoExit(); };
  kindCombo.onChange = [this] { kindChange(); };

  startCombo.onKeyPress = [this](char& ch) { startEndKeyPress(ch); };
  endEdit.onKeyPress = [this](char& ch) { startEndKeyPress(ch); };
  startCombo.onExit = [this] { startExit(); };
  endEdit.onExit = [this] { endExit(); };
  startLabel.onMouseEnter = [this] { startEndLabelMouseEnter(startLabel); };
  endLabel.onMouseEnter = [this] { startEndLabelMouseEnter(endLabel); };

  // The option tooltips show once the pointer has been on the box.
  for (ui::CheckBox* box : {&lineBreakBox, &anyCursorBox, &replaceBox, &anyWindowBox})
    box->onMouseEnter = [box] { box->setShowHint(true); };

  editorCloseButton.onClick = [this] { form.close(); };
  form.onCloseQuery = [this] { return !editorCloseQuery || editorCloseQuery(); };
  form.onClose = [this] { formClose(); };
  form.onActivate = [this] { formActivate(); };
  form.onFormKeyUp = [this](int vk) { formKeyUp(vk); };
  closeButton.onClick = [this] { closeButtonClick(); };
  replaceBox.onClick = [this] { replaceBoxClick(); };
  for (ui::Control* field : std::initializer_list<ui::Control*>{&prefixEdit, &kindCombo,
                                                                &startCombo, &endEdit, &suffixEdit})
    field->onKeyDown = [this, field](int vk) { fieldKeyDown(*field, vk); };
  // Enter moves on and never types into a field (the start and end fields' filter drops it too).
  for (ui::Control* field :
       std::initializer_list<ui::Control*>{&prefixEdit, &kindCombo, &suffixEdit})
    field->onKeyPress = [](char& ch) {
      if (ch == kVkReturn) ch = 0;
    };
}

void SettingsForm::formCreate() {
  editor_->buildKinds();
  replaceBox.setHint(
      p_.fromUtf8("　　　　　テキストボックス内の文字列を削除して置き換えます。\r\n\r\n"
                  "要注意：テキストボックス以外で使用すると全て削除されます。"));
}

void SettingsForm::formClose() {
  if (editorClose) editorClose();
  enablePanelItems();
  if (definitionPanel.visible()) finishDefiningButton.performClick();
}

void SettingsForm::enablePanelItems() {
  if (panelDelete) panelDelete->setEnabled(true);
  if (panelEdit) panelEdit->setEnabled(true);
}

void SettingsForm::collapsePanel() {
  panel->setClientHeight(0);
  panel->setClientHeight(-3);
}

void SettingsForm::showForSequence() {
  form.setBounds({form.left(), form.top(), 384, 185});
  slotEditorPanel.hide();
  form.dialogFrame = true;
  form.sizeable = false;
  form.maximizeBox = false;
  form.setCaption(p_.fromUtf8("Kolvex20:連番設定"));
  if (panelDelete) panelDelete->setEnabled(false);
  if (panelEdit) panelEdit->setEnabled(false);
  form.show();
  p_.bringApplicationToFront();
}

void SettingsForm::closeButtonClick() {
  form.hide();
  enablePanelItems();
}

void SettingsForm::replaceBoxClick() {
  const bool replace = replaceBox.checked();
  for (ui::CheckBox* box : {&lineBreakBox, &anyCursorBox, &anyWindowBox}) {
    if (replace) box->setChecked(false);
    box->setEnabled(!replace);
  }
}

void SettingsForm::formActivate() {
  if (panel && panel->outerHeight() > kPanelOpenHeight) {
    panel->setTopmost(true);
    collapsePanel();
  }
}

void SettingsForm::formKeyUp(int vk) {
  if (vk == kVkShift && panel && panel->outerHeight() > kPanelOpenHeight) collapsePanel();
}

void SettingsForm::fieldKeyDown(ui::Control& field, int vk) {
  const bool enter = vk == kVkReturn;
  if (&field == &prefixEdit) {
    if (enter || vk == kVkDown) form.setFocus(&kindCombo);
  } else if (&field == &kindCombo) {
    if (enter || vk == kVkRight) form.setFocus(&startCombo);
  } else if (&field == &startCombo) {
    const bool atEnd = startCombo.selStart() >= static_cast<int>(startCombo.text().size());
    if ((enter || (vk == kVkRight && atEnd)) && !startCombo.text().empty()) {
      form.setFocus(&endEdit);
      // The leave check may have kept the focus in the start field.
      if (form.focused() == &endEdit) endEdit.selectAll();
    } else if (vk == kVkLeft && startCombo.selStart() == 0) {
      form.setFocus(&kindCombo);
    }
  } else if (&field == &endEdit) {
    if (enter || vk == kVkDown)
      form.setFocus(&suffixEdit);
    else if (vk == kVkLeft && endEdit.selStart() == 0)
      form.setFocus(&startCombo);
  } else if (&field == &suffixEdit) {
    if (enter)
      form.setFocus(&startButton);
    else if (vk == kVkUp)
      form.setFocus(&kindCombo);
  }
}

void SettingsForm::defineButtonClick() {
  editor_->open();
}

void SettingsForm::radioButtonClick(int n) {
  editor_->choose(n);
}

void SettingsForm::definitionMemoExit() {
  editor_->store();
}

void SettingsForm::finishDefiningClick() {
  editor_->close();
}

void SettingsForm::kindChange() {
  editor_->chooseKind();
}

void SettingsForm::startEndKeyPress(char& ch) {
  if (!keepTypedChar(ch, kindCombo.itemIndex())) ch = 0;
}

void SettingsForm::startExit() {
  checkOnLeave(form, startCombo, kindCombo.itemIndex());
}

void SettingsForm::endExit() {
  checkOnLeave(form, endEdit, kindCombo.itemIndex());
}

void SettingsForm::startEndLabelMouseEnter(ui::Label& label) {
  if (kindCombo.itemIndex() != kStandardKind) {
    label.setShowHint(false);
    return;
  }
  label.setHint(text::Text::fromBytes(std::string(helpText())));
  label.setShowHint(true);
}

}  // namespace sequence
