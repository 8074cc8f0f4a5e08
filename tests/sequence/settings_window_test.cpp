// The settings window of sequence insertion as the panel's "連番入力" opens it: what opening does
// to the panel and the files, closing, the option interlock, tooltips and the focus order.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "sequence/insertion_support.h"

namespace {

using testing_support::InsertionFixture;

class SettingsWindow : public InsertionFixture {
 protected:
  void keyDown(int vk) { platform->keyDown(w().form, vk); }
  void focus(ui::Control& c) {
    handle([&] { w().form.setFocus(&c); });
  }
  ui::Control* focused() { return w().form.focused(); }
};

TEST_F(SettingsWindow, OpeningFromThePanelSavesEverythingAndFoldsThePanel) {
  // A text whose saves failed is not on disk yet: opening writes it, and the definition file.
  desktop->failWrite("Kolvex2.txt");
  copy("slot B");
  platform->hotkey();
  desktop->advance(200);
  platform->click(*panel().keepBoxes[1]);  // keep A
  desktop->advance(600);
  ASSERT_TRUE(store().expanded());
  ASSERT_TRUE(panel().form.active());
  ASSERT_EQ(file("Kolvex2.txt"), "");
  desktop->failWrite("Kolvex2.txt", false);
  desktop->putFile("Kolvex20.ini", "stale");
  const int writes = desktop->totalWrites();
  platform->click(panel().sequenceButton);
  EXPECT_EQ(desktop->totalWrites(), writes + 2);
  EXPECT_EQ(file("Kolvex2.txt"), "slot B");
  EXPECT_EQ(ui::textLine(file("Kolvex20.ini"), 0), "A");
  EXPECT_FALSE(store().expanded());
  EXPECT_EQ(panel().form.clientHeight(), 0);
  EXPECT_TRUE(panel().form.topmost());
  EXPECT_EQ(panel().form.focused(), &panel().foldedFocusSink);
  EXPECT_EQ(flags().insertTargetWindow, other);
  EXPECT_EQ(flags().insertCursorPos, kInField);

  EXPECT_TRUE(w().form.visible());
  EXPECT_EQ(w().form.width(), 384);
  EXPECT_EQ(w().form.height(), 185);
  EXPECT_FALSE(w().slotEditorPanel.visible());
  EXPECT_EQ(w().form.caption(), cp932("Kolvex20:連番設定"));
  EXPECT_FALSE(panel().deleteItem.enabled());
  EXPECT_FALSE(panel().editItem.enabled());
  EXPECT_EQ(desktop->foreground(), platform->applicationWindow());
}

TEST_F(SettingsWindow, OpeningFromTheFoldedPanelSavesNothingAndKeepsTheTarget) {
  const int writes = desktop->totalWrites();
  platform->click(panel().sequenceButton);
  EXPECT_EQ(desktop->totalWrites(), writes);
  EXPECT_EQ(flags().insertTargetWindow, 0u);
  EXPECT_TRUE(w().form.visible());
  EXPECT_FALSE(panel().deleteItem.enabled());
}

TEST_F(SettingsWindow, EveryPressClearsTheSelection) {
  program->state().marks.slotSelection[1] = 1;
  platform->click(panel().sequenceButton);
  EXPECT_EQ(program->state().marks.slotSelection[1], 0);
  EXPECT_TRUE(panel().colourTimer.running());
}

TEST_F(SettingsWindow, CloseButtonAndCloseBoxGiveThePopupItemsBack) {
  openSettings();
  platform->click(w().closeButton);
  EXPECT_FALSE(w().form.visible());
  EXPECT_TRUE(panel().deleteItem.enabled());
  EXPECT_TRUE(panel().editItem.enabled());
  openSettings();
  EXPECT_FALSE(panel().deleteItem.enabled());
  platform->closeBox(w().form);
  EXPECT_FALSE(w().form.visible());
  EXPECT_TRUE(panel().deleteItem.enabled());
  EXPECT_TRUE(panel().editItem.enabled());
}

TEST_F(SettingsWindow, FieldsKeepTheirContentsBetweenOpenings) {
  openSettings();
  fillStandard();
  platform->click(w().closeButton);
  openSettings();
  EXPECT_EQ(w().prefixEdit.text(), "No.");
  EXPECT_EQ(w().endEdit.text(), "3");
}

TEST_F(SettingsWindow, ReplacementSwitchesOffWhatItCannotWorkWith) {
  openSettings();
  check(w().lineBreakBox);
  check(w().anyCursorBox);
  check(w().replaceBox);
  for (ui::CheckBox* box : {&w().lineBreakBox, &w().anyCursorBox, &w().anyWindowBox}) {
    EXPECT_FALSE(box->checked()) << box->name();
    EXPECT_FALSE(box->enabled()) << box->name();
  }
  platform->click(w().replaceBox);
  for (ui::CheckBox* box : {&w().lineBreakBox, &w().anyCursorBox, &w().anyWindowBox}) {
    EXPECT_FALSE(box->checked()) << box->name();
    EXPECT_TRUE(box->enabled()) << box->name();
  }
  EXPECT_TRUE(w().continuousBox.enabled());
}

struct TooltipCase {
  const char* name;
  ui::CheckBox sequence::SettingsForm::*box;
  const char* text;
};

void PrintTo(const TooltipCase& c, std::ostream* os) {
  *os << c.name;
}

class OptionTooltip : public SettingsWindow, public ::testing::WithParamInterface<TooltipCase> {};

TEST_P(OptionTooltip, ShowsOnceThePointerHasBeenOnTheBox) {
  openSettings();
  ui::CheckBox& box = w().*GetParam().box;
  EXPECT_FALSE(box.showHint());
  platform->mouseEnter(box);
  EXPECT_TRUE(box.showHint());
  EXPECT_EQ(box.hint(), cp932(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(
    SettingsWindow, OptionTooltip,
    ::testing::Values(TooltipCase{"LineBreak", &sequence::SettingsForm::lineBreakBox,
                                  "チェックを入れると連番挿入と同時に改行します"},
                      TooltipCase{"AnyCursor", &sequence::SettingsForm::anyCursorBox,
                                  "チェックを入れるとテキストカーソル以外にも対応します"},
                      TooltipCase{
                          "Replace", &sequence::SettingsForm::replaceBox,
                          "　　　　　テキストボックス内の文字列を削除して置き換えます。\r\n\r\n"
                          "要注意：テキストボックス以外で使用すると全て削除されます。"},
                      TooltipCase{"AnyWindow", &sequence::SettingsForm::anyWindowBox,
                                  "チェックを入れると全てのウインドウに対応します"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SettingsWindow, ShiftOrActivationFoldsAnOpenPanel) {
  openSettings();
  platform->hotkey();
  desktop->runPending();
  ASSERT_TRUE(store().expanded());
  platform->keyUp(w().form, 65);
  EXPECT_TRUE(store().expanded());
  platform->keyUp(w().form, 16);
  EXPECT_FALSE(store().expanded());

  platform->hotkey();
  desktop->runPending();
  ASSERT_TRUE(store().expanded());
  platform->activate(panel().form);
  panel().form.setTopmost(false);
  platform->activate(w().form);
  EXPECT_FALSE(store().expanded());
  EXPECT_TRUE(panel().form.topmost());
}

TEST_F(SettingsWindow, TheEntryFieldsTakeOnlyAsciiAndThreeBytesInOneFont) {
  for (ui::Control* c : std::vector<ui::Control*>{&w().kindCombo, &w().startCombo, &w().endEdit})
    EXPECT_TRUE(c->imeOff) << c->name();
  EXPECT_FALSE(w().prefixEdit.imeOff);
  EXPECT_EQ(w().endEdit.maxLength(), 3);
  EXPECT_EQ(w().startCombo.maxLength, 3);
  // The entry fields share one font, larger than the labels'.
  auto font = [](const auto& c) { return std::pair{c.fontName, c.fontHeight}; };
  for (const auto& f : {font(w().prefixEdit), font(w().kindCombo), font(w().startCombo),
                        font(w().endEdit), font(w().suffixEdit)})
    EXPECT_EQ(f, std::pair(std::string("Tahoma"), 13));
}

// The focus order of the fields on Enter and the arrow keys.
struct NavCase {
  const char* name;
  ui::Control* (*from)(sequence::SettingsForm&);
  int vk;
  int caret;  // caret position in the field before the key
  ui::Control* (*to)(sequence::SettingsForm&);
};

ui::Control* prefixEdit(sequence::SettingsForm& s) {
  return &s.prefixEdit;
}
ui::Control* kinds(sequence::SettingsForm& s) {
  return &s.kindCombo;
}
ui::Control* startField(sequence::SettingsForm& s) {
  return &s.startCombo;
}
ui::Control* endField(sequence::SettingsForm& s) {
  return &s.endEdit;
}
ui::Control* suffixEdit(sequence::SettingsForm& s) {
  return &s.suffixEdit;
}
ui::Control* start(sequence::SettingsForm& s) {
  return &s.startButton;
}

void PrintTo(const NavCase& c, std::ostream* os) {
  *os << c.name;
}

class FocusOrder : public SettingsWindow, public ::testing::WithParamInterface<NavCase> {};

TEST_P(FocusOrder, MovesOnKeyDown) {
  openSettings();
  type(w().startCombo, "12");
  type(w().endEdit, "34");
  const NavCase& c = GetParam();
  ui::Control* from = c.from(w());
  focus(*from);
  handle([&] {
    if (from == &w().startCombo) w().startCombo.userSetCaret(c.caret);
    if (from == &w().endEdit) w().endEdit.userSetCaret(c.caret);
  });
  keyDown(c.vk);
  EXPECT_EQ(focused(), c.to(w())) << (focused() ? focused()->name() : "none");
}

INSTANTIATE_TEST_SUITE_P(
    SettingsWindow, FocusOrder,
    ::testing::Values(NavCase{"PrefixEnter", prefixEdit, 13, 0, kinds},
                      NavCase{"PrefixDown", prefixEdit, 40, 0, kinds},
                      NavCase{"PrefixRightStays", prefixEdit, 39, 0, prefixEdit},
                      NavCase{"KindEnter", kinds, 13, 0, startField},
                      NavCase{"KindRight", kinds, 39, 0, startField},
                      NavCase{"StartEnter", startField, 13, 1, endField},
                      NavCase{"StartRightAtEnd", startField, 39, 2, endField},
                      NavCase{"StartRightInside", startField, 39, 1, startField},
                      NavCase{"StartLeftAtZero", startField, 37, 0, kinds},
                      NavCase{"StartLeftInside", startField, 37, 1, startField},
                      NavCase{"EndEnter", endField, 13, 1, suffixEdit},
                      NavCase{"EndDown", endField, 40, 1, suffixEdit},
                      NavCase{"EndLeftAtZero", endField, 37, 0, startField},
                      NavCase{"EndLeftInside", endField, 37, 1, endField},
                      NavCase{"SuffixEnter", suffixEdit, 13, 0, start},
                      NavCase{"SuffixUp", suffixEdit, 38, 0, kinds}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SettingsWindow, EnterFromAnEmptyStartStaysAndSelectsTheWholeEndOtherwise) {
  openSettings();
  type(w().endEdit, "34");
  focus(w().startCombo);
  keyDown(13);
  EXPECT_EQ(focused(), &w().startCombo);
  type(w().startCombo, "1");
  keyDown(13);
  EXPECT_EQ(focused(), &w().endEdit);
  EXPECT_EQ(w().endEdit.selLength(), 2);
}

TEST_F(SettingsWindow, EnterNeverTypesIntoTheFields) {
  openSettings();
  for (ui::Control* c : std::vector<ui::Control*>{&w().prefixEdit, &w().kindCombo, &w().startCombo,
                                                  &w().endEdit, &w().suffixEdit}) {
    char ch = 13;
    ASSERT_TRUE(c->onKeyPress) << c->name();
    handle([&] { c->onKeyPress(ch); });
    EXPECT_EQ(ch, 0) << c->name();
  }
  char ch = 'x';
  handle([&] { w().prefixEdit.onKeyPress(ch); });
  EXPECT_EQ(ch, 'x');
}

}  // namespace
