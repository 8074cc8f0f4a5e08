#include <gtest/gtest.h>

#include <string>

#include "support/sim_fixture.h"

namespace {

using testing_support::SimFixture;

class Recall : public SimFixture {
 protected:
  void SetUp() override {
    writeSlotFiles({"alpha", "beta", "two\r\nlines", "beta"});
    start();
    platform->trayIcon(platform::kWmLButtonDown);
    desktop->advance(100);
  }
  std::string caption(char letter, const std::string& t) {
    return std::string(1, letter) + cp932("：") + t;
  }
};

TEST_F(Recall, LetterButtonPutsTheTextOnTheClipboardAndNamesTheSlot) {
  const int writes = desktop->totalWrites();
  platform->click(*panel().letterButtons[3]);
  EXPECT_EQ(clipboard(), "two\r\nlines");
  EXPECT_EQ(panel().form.caption(), caption('C', "two\r\nlines"));
  EXPECT_EQ(texts()[2], "two\r\nlines");
  EXPECT_EQ(slotText(5), "");  // recognised, not stored again
  EXPECT_EQ(desktop->totalWrites(), writes);
  desktop->advance(60);
  EXPECT_EQ(store().memo(3).color(), history::kMatchColour);
}

TEST_F(Recall, LaterOfTwoEqualSlotsIsNamedFirstThenTheColourPassNamesTheFirst) {
  platform->click(*panel().letterButtons[4]);
  EXPECT_EQ(panel().form.caption(), caption('D', "beta"));
  desktop->advance(60);
  EXPECT_EQ(panel().form.caption(), caption('B', "beta"));
  EXPECT_EQ(store().memo(2).color(), history::kMatchColour);
  EXPECT_EQ(store().memo(4).color(), ui::kClWindow);
}

TEST_F(Recall, TextBoxClickRecallsAndLeavesTheFocusOnTheSink) {
  platform->click(store().memo(1));
  EXPECT_EQ(clipboard(), "alpha");
  EXPECT_EQ(panel().form.focused(), &panel().slotFocusSink);
  panel().form.setFocus(&store().memo(2));  // focus arriving in a slot moves on at once
  EXPECT_EQ(panel().form.focused(), &panel().slotFocusSink);
}

TEST_F(Recall, RightPressSelectsOneSlotAndOtherButtonsSelectNothing) {
  platform->rightPress(store().memo(2));
  platform->rightPress(store().memo(1));
  EXPECT_EQ(program->state().marks.slotSelection[1], 1);
  EXPECT_EQ(program->state().marks.slotSelection[2], 0);
  EXPECT_EQ(platform->openMenu(), &panel().slotMenu);
  desktop->advance(60);
  EXPECT_EQ(store().memo(1).color(), history::kSelectedColour);
  platform->mouseDown(store().memo(3), ui::MouseButton::Middle);
  EXPECT_EQ(program->state().marks.slotSelection[3], 0);
  platform->click(*panel().letterButtons[2]);  // a recall ends the selection
  EXPECT_EQ(program->state().marks.slotSelection[1], 0);
}

TEST_F(Recall, RightPressWhileASequenceWindowIsShownSelectsNothing) {
  program->hintForm().show();
  platform->rightPress(store().memo(2));
  EXPECT_EQ(program->state().marks.slotSelection[2], 0);
  EXPECT_FALSE(panel().colourTimer.running());
  EXPECT_EQ(platform->openMenu(), &panel().slotMenu);  // the menu still opens
}

TEST_F(Recall, HoverShowsTheWholeText) {
  platform->mouseEnter(store().memo(3));
  EXPECT_EQ(store().memo(3).hint(), "two\r\nlines");
  EXPECT_TRUE(store().memo(3).showHint());
}

TEST_F(Recall, ClipboardHeldOpenReportsAndChangesNothing) {
  copy("alpha");
  const text::Text before = panel().form.caption();
  desktop->otherHoldsClipboard(true);
  platform->click(*panel().letterButtons[2]);
  EXPECT_EQ(errorCount(), 1);
  EXPECT_EQ(panel().form.caption(), before);
  desktop->otherHoldsClipboard(false);
}

}  // namespace
