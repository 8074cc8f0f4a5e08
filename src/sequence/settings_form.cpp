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
void addEntry(ui::Form& form, ui::Label& label, const ui::Text& caption, ui::Bounds labelAt,
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
  c.panel = &panel1;
  c.values = &memo1;
  for (int n = 1; n <= 10; ++n)
    c.radioButtons[static_cast<std::size_t>(n - 1)] = &radioButton(n);
  c.kinds = &comboBox2;
  c.start = &comboBox1;
  c.end = &edit2;
  editor_ = std::make_unique<DefinitionEditor>(c);
  routeEvents();
}

void SettingsForm::buildControls() {
  auto text = [this](const char* utf8) { return p_.text(utf8); };

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
  addEntry(form, label1, text("前置文字列"), {6, 13, 55, 13}, edit1, {72, 8, 238, 24});
  addEntry(form, label5, text("連番選択"), {6, 48, 44, 13}, comboBox2, {72, 42, 113, 24});
  addEntry(form, label3, text("始値"), {192, 47, 22, 13}, comboBox1, {222, 42, 55, 24});
  addEntry(form, label4, text("終値"), {284, 47, 22, 13}, edit2, {317, 42, 45, 24});
  addEntry(form, label2, text("後置文字列"), {6, 83, 55, 13}, edit3, {72, 78, 238, 24});
  for (ui::ComboBox* c : {&comboBox2, &comboBox1}) {
    c->maxLength = kEntryMaxLength;
    c->imeOff = true;
    c->setHandCursor(true);
  }
  edit2.setMaxLength(kEntryMaxLength);
  edit2.imeOff = true;
  edit2.codePageOnly = true;

  button1.setCaption(text("スタート"));
  place(button1, 224, 118, 60, 25);
  button1.setHandCursor(true);
  form.addControl(button1);
  button2.setCaption(text("閉じる"));
  place(button2, 299, 118, 60, 25);
  button2.setHandCursor(true);
  form.addControl(button2);

  buildDefinitionEditor();

  checkBox1.setCaption(text("連続挿入"));
  place(checkBox1, 152, 132, 66, 17);
  checkBox1.setHandCursor(true);
  checkBox2.setCaption(text("繰り返し"));
  place(checkBox2, 80, 132, 62, 17);
  checkBox2.setHandCursor(true);
  checkBox3.setCaption(text("改行"));
  place(checkBox3, 316, 82, 54, 17);
  checkBox3.setHint(text("チェックを入れると連番挿入と同時に改行します"));
  checkBox4.setCaption(text("カーソル"));
  place(checkBox4, 316, 12, 61, 17);
  checkBox4.setHint(text("チェックを入れるとテキストカーソル以外にも対応します"));
  checkBox5.setCaption(text("TB内置換"));
  place(checkBox5, 152, 111, 66, 17);
  checkBox6.setCaption(text("ウインドウ"));
  place(checkBox6, 80, 111, 66, 17);
  checkBox6.setHint(text("チェックを入れると全てのウインドウに対応します"));
  for (ui::CheckBox* box : {&checkBox1, &checkBox2, &checkBox3, &checkBox4, &checkBox5, &checkBox6})
    form.addControl(*box);

  speedButton1.setCaption(text("連番定義"));
  place(speedButton1, 8, 118, 60, 25);
  speedButton1.setHandCursor(true);
  form.addControl(speedButton1);
  place(speedButton3, 0, 0, 23, 22);
  speedButton3.hide();
  form.addControl(speedButton3);

  buildSlotEditor();

  for (ui::Timer* t : {&timer1, &timer2, &timer3})
    form.addControl(*t);
}

void SettingsForm::buildDefinitionEditor() {
  place(panel1, -1, -2, 381, 163);
  panel1.setColor(ui::kClSkyBlue);
  panel1.setTabStop(false);
  panel1.hide();
  form.addControl(panel1);

  place(memo1, 6, 8, 100, 150);
  memo1.wordWrap = false;
  memo1.scrollBars = true;
  // The definitions are kept in a file of code page bytes alone.
  memo1.codePageOnly = true;
  panel1.addChild(memo1);

  // Two columns of five: label and radio button side by side.
  for (int n = 1; n <= 10; ++n) {
    const auto k = static_cast<std::size_t>(n - 1);
    const int row = (n - 1) % 5;
    const bool left = n <= 5;
    auto label = std::make_unique<ui::Label>("Label" + std::to_string(5 + n));
    label->setCaption(p_.text(kDefinitionCaptions[k]));
    place(*label, left ? 112 : 244, 10 + 25 * row, left ? 33 : 44, 13);
    panel1.addChild(*label);
    definitionLabels[k] = std::move(label);

    auto radio = std::make_unique<ui::RadioButton>("RadioButton" + std::to_string(n));
    place(*radio, left ? 150 : 290, 8 + 25 * row, 87, 17);
    panel1.addChild(*radio);
    radioButtons[k] = std::move(radio);
  }

  speedButton2.setCaption(p_.text("設定終了"));
  place(speedButton2, 290, 133, 87, 24);
  panel1.addChild(speedButton2);
}

void SettingsForm::buildSlotEditor() {
  // The client area of the editor window at its normal size.
  place(panel2, 0, 0, 476, 258);
  panel2.setColor(ui::kClSkyBlue);
  panel2.setTabStop(false);
  panel2.anchors = ui::kAnchorsAll;
  panel2.hide();
  form.addControl(panel2);
  place(memo22, 10, 10, 459, 208);
  memo22.scrollBars = true;
  memo22.fontName = kTahoma;
  memo22.fontHeight = 15;
  memo22.anchors = ui::kAnchorsAll;
  panel2.addChild(memo22);
  button3.setCaption(p_.text("閉じる"));
  place(button3, 388, 227, 75, 25);
  button3.anchors = ui::kAnchorRight | ui::kAnchorBottom;
  panel2.addChild(button3);
}

void SettingsForm::routeEvents() {
  speedButton1.onClick = [this] { speedButton1Click(); };
  speedButton2.onClick = [this] { speedButton2Click(); };
  for (int n = 1; n <= 10; ++n) {
    radioButton(n).onClick = [this, n] { radioButtonClick(n); };
    radioButton(n).onMouseEnter = [this, n] { editor_->showCaptionHint(n); };
  }
  memo1.onExit = [this] { memo1Exit(); };
  comboBox2.onChange = [this] { comboBox2Change(); };

  comboBox1.onKeyPress = [this](char& ch) { startEndKeyPress(ch); };
  edit2.onKeyPress = [this](char& ch) { startEndKeyPress(ch); };
  comboBox1.onExit = [this] { comboBox1Exit(); };
  edit2.onExit = [this] { edit2Exit(); };
  label3.onMouseEnter = [this] { startEndLabelMouseEnter(label3); };
  label4.onMouseEnter = [this] { startEndLabelMouseEnter(label4); };

  // The option tooltips show once the pointer has been on the box.
  for (ui::CheckBox* box : {&checkBox3, &checkBox4, &checkBox5, &checkBox6})
    box->onMouseEnter = [box] { box->setShowHint(true); };

  button3.onClick = [this] { form.close(); };
  form.onCloseQuery = [this] { return !editorCloseQuery || editorCloseQuery(); };
  form.onClose = [this] { formClose(); };
  form.onActivate = [this] { formActivate(); };
  form.onFormKeyUp = [this](int vk) { formKeyUp(vk); };
  button2.onClick = [this] { button2Click(); };
  checkBox5.onClick = [this] { checkBox5Click(); };
  for (ui::Control* field :
       std::initializer_list<ui::Control*>{&edit1, &comboBox2, &comboBox1, &edit2, &edit3})
    field->onKeyDown = [this, field](int vk) { fieldKeyDown(*field, vk); };
  // Enter moves on and never types into a field (the start and end fields' filter drops it too).
  for (ui::Control* field : std::initializer_list<ui::Control*>{&edit1, &comboBox2, &edit3})
    field->onKeyPress = [](char& ch) {
      if (ch == kVkReturn) ch = 0;
    };
}

void SettingsForm::formCreate() {
  editor_->buildKinds();
  checkBox5.setHint(
      p_.text("　　　　　テキストボックス内の文字列を削除して置き換えます。\r\n\r\n"
              "要注意：テキストボックス以外で使用すると全て削除されます。"));
}

void SettingsForm::formClose() {
  if (editorClose) editorClose();
  enablePanelItems();
  if (panel1.visible()) speedButton2.performClick();
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
  panel2.hide();
  form.dialogFrame = true;
  form.sizeable = false;
  form.maximizeBox = false;
  form.setCaption(p_.text("Kolvex20:連番設定"));
  if (panelDelete) panelDelete->setEnabled(false);
  if (panelEdit) panelEdit->setEnabled(false);
  form.show();
  p_.bringApplicationToFront();
}

void SettingsForm::button2Click() {
  form.hide();
  enablePanelItems();
}

void SettingsForm::checkBox5Click() {
  const bool replace = checkBox5.checked();
  for (ui::CheckBox* box : {&checkBox3, &checkBox4, &checkBox6}) {
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
  if (&field == &edit1) {
    if (enter || vk == kVkDown) form.setFocus(&comboBox2);
  } else if (&field == &comboBox2) {
    if (enter || vk == kVkRight) form.setFocus(&comboBox1);
  } else if (&field == &comboBox1) {
    const bool atEnd = comboBox1.selStart() >= static_cast<int>(comboBox1.text().size());
    if ((enter || (vk == kVkRight && atEnd)) && !comboBox1.text().empty()) {
      form.setFocus(&edit2);
      // The leave check may have kept the focus in the start field.
      if (form.focused() == &edit2) edit2.selectAll();
    } else if (vk == kVkLeft && comboBox1.selStart() == 0) {
      form.setFocus(&comboBox2);
    }
  } else if (&field == &edit2) {
    if (enter || vk == kVkDown)
      form.setFocus(&edit3);
    else if (vk == kVkLeft && edit2.selStart() == 0)
      form.setFocus(&comboBox1);
  } else if (&field == &edit3) {
    if (enter)
      form.setFocus(&button1);
    else if (vk == kVkUp)
      form.setFocus(&comboBox2);
  }
}

void SettingsForm::speedButton1Click() {
  editor_->open();
}

void SettingsForm::radioButtonClick(int n) {
  editor_->choose(n);
}

void SettingsForm::memo1Exit() {
  editor_->store();
}

void SettingsForm::speedButton2Click() {
  editor_->close();
}

void SettingsForm::comboBox2Change() {
  editor_->chooseKind();
}

void SettingsForm::startEndKeyPress(char& ch) {
  if (!keepTypedChar(ch, comboBox2.itemIndex())) ch = 0;
}

void SettingsForm::comboBox1Exit() {
  checkOnLeave(form, comboBox1, comboBox2.itemIndex());
}

void SettingsForm::edit2Exit() {
  checkOnLeave(form, edit2, comboBox2.itemIndex());
}

void SettingsForm::startEndLabelMouseEnter(ui::Label& label) {
  if (comboBox2.itemIndex() != kStandardKind) {
    label.setShowHint(false);
    return;
  }
  label.setHint(ui::Text::fromBytes(std::string(helpText())));
  label.setShowHint(true);
}

}  // namespace sequence
