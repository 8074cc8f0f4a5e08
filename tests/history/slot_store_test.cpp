#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/sim_fixture.h"

namespace {

using testing_support::bytes;
using testing_support::SimFixture;

// filled slots -> expanded height
class HeightRule : public SimFixture,
                   public ::testing::WithParamInterface<std::pair<std::vector<int>, int>> {};

TEST_P(HeightRule, HeightFollowsTheHighestFilledLeftSlot) {
  start();
  for (int i : GetParam().first)
    store().setText(i, bytes("x"));
  EXPECT_EQ(store().expandedHeight(), GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(
    Panel, HeightRule,
    ::testing::Values(std::make_pair(std::vector<int>{}, 55),
                      std::make_pair(std::vector<int>{1}, 80),
                      std::make_pair(std::vector<int>{1, 2, 3, 4, 5}, 130),
                      std::make_pair(std::vector<int>{2}, 55),  // the right column is not looked at
                      std::make_pair(std::vector<int>{1,  2,  3,  4,  5,  6,  7,  8,  9,  10,
                                                      11, 12, 13, 14, 15, 16, 17, 18, 19, 20},
                                     305),
                      std::make_pair(std::vector<int>{1, 19}, 305)),
    [](const auto& info) {
      std::string filled;
      for (int i : info.param.first)
        filled += history::SlotStore::letter(i);
      return (filled.empty() ? std::string("NoSlot") : filled) + "Filled_" +
             std::to_string(info.param.second);
    });

TEST_F(SimFixture, UpdateSlotRowsHidesEmptyRowsUnchecksThemAndWritesTheirFiles) {
  writeSlotFiles({"a", "b", "c", "d", "e"}, "E");  // A..E kept
  start();
  ASSERT_TRUE(store().checked(5));
  ASSERT_TRUE(store().hasKeepLetter(5));
  store().clearText(5);
  desktop->putFile("Kolvex5.txt", "stale");
  store().updateSlotRows();
  EXPECT_FALSE(store().memo(5).visible());
  EXPECT_FALSE(store().box(5).visible());
  EXPECT_FALSE(store().controls().rows[5].letter->visible());
  // No empty slot stays kept.
  EXPECT_FALSE(store().checked(5));
  EXPECT_FALSE(store().hasKeepLetter(5));
  EXPECT_EQ(slotFile(5), "");
  EXPECT_TRUE(store().memo(4).visible());
  EXPECT_TRUE(store().checked(4));
  EXPECT_TRUE(store().hasKeepLetter(4));
  EXPECT_EQ(panel().form.outerHeight(), 105);
}

TEST_F(SimFixture, AFileThatCouldNotBeWrittenCatchesUpWithTheNextChange) {
  writeSlotFiles({"a", "b", "c"});
  start();
  desktop->failWrite("Kolvex3.txt");
  platform->rightPress(store().memo(2));
  desktop->confirmAnswers.push_back(true);
  platform->chooseMenuItem(panel().deleteItem);  // delete B: C moves up, C's file is emptied
  EXPECT_EQ(errorCount(), 1);
  EXPECT_EQ(texts()[1], "c");
  EXPECT_EQ(slotFile(2), "c");
  EXPECT_EQ(slotFile(3), "c");  // the file that failed keeps its last good bytes
  desktop->failWrite("Kolvex3.txt", false);
  copy("d");  // into C: the file is written now
  EXPECT_EQ(slotFile(3), "d");
  EXPECT_EQ(errorCount(), 1);
}

class ColourPass : public SimFixture {
 protected:
  void SetUp() override {
    writeSlotFiles({"a", "b", "c", "d", "e", "f", "g", "c"}, "D");
    start();
    desktop->advance(600);
  }
  void pass() {
    store().requestColourPass();
    desktop->advance(60);
  }
};

TEST_F(ColourPass, KeptSlotsTakeTheKeptOrMatchColourAndTheFirstHolderIsNamed) {
  copy("c");
  pass();
  EXPECT_EQ(store().memo(1).color(), history::kKeptColour);
  EXPECT_EQ(store().memo(3).color(), history::kMatchColour);
  EXPECT_EQ(store().memo(5).color(), ui::kClWindow);
  EXPECT_EQ(store().memo(8).color(), ui::kClWindow);  // equal text, later, not kept
  EXPECT_EQ(panel().form.caption(), "C" + cp932("：") + "c");
}

TEST_F(ColourPass, SelectionColourWinsOverEverything) {
  copy("c");
  platform->rightPress(store().memo(3));  // selects C, as for its popup menu
  pass();
  EXPECT_EQ(store().memo(3).color(), history::kSelectedColour);
}

TEST_F(ColourPass, EmptyClipboardLeavesTheCaptionAlone) {
  panel().form.setCaption(bytes("left as it was"));
  desktop->otherEmptiesClipboard();
  desktop->advance(100);
  panel().form.setCaption(bytes("left as it was"));
  pass();
  EXPECT_EQ(panel().form.caption(), "left as it was");
}

TEST_F(ColourPass, RequestsWithinOneIntervalGiveOnePass) {
  int passes = 0;
  auto original = panel().colourTimer.onTimer;
  panel().colourTimer.onTimer = [&] {
    ++passes;
    original();
  };
  store().requestColourPass();
  desktop->advance(20);
  store().requestColourPass();
  desktop->advance(20);
  store().requestColourPass();
  desktop->advance(200);
  EXPECT_EQ(passes, 1);
}

TEST_F(ColourPass, HeldClipboardIsReportedOnceAndThePassIsNotRepeated) {
  // A copy the capture could not read: the clipboard stayed held.
  desktop->otherCopiesText("c");
  desktop->otherHoldsClipboard(true);
  desktop->advance(platform::kClipboardSettleMs + platform::kClipboardBusyWaitMs + 50);
  ASSERT_EQ(errorCount(), 0);
  store().requestColourPass();
  desktop->advance(1000);  // ten tries' worth of ticks
  EXPECT_EQ(errorCount(), 1);
  EXPECT_FALSE(panel().colourTimer.running());
  desktop->otherHoldsClipboard(false);
  pass();
  EXPECT_EQ(errorCount(), 1);
  EXPECT_EQ(store().memo(3).color(), history::kMatchColour);
}

}  // namespace
