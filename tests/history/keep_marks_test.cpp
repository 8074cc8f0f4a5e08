#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/sim_fixture.h"

namespace {

using testing_support::SimFixture;

class KeepMarks : public SimFixture {
 protected:
  // Starts with slots filled with "1".."n" and the first k kept, then waits out the guard window.
  void begin(int n, int k) {
    std::vector<std::string> t;
    for (int i = 1; i <= n; ++i)
      t.push_back(std::to_string(i));
    writeSlotFiles(t, k ? std::string(1, static_cast<char>('A' + k - 1)) : "");
    start();
    desktop->advance(600);
  }
  void userClicks(int i, int waitMs = 600) {
    platform->click(store().box(i));
    desktop->advance(waitMs);
  }
  std::string row() {
    std::string s;
    for (int i = 1; i <= 20; ++i) {
      if (store().isEmpty(i)) break;
      s += slotText(i).bytes() + (store().checked(i) ? "* " : " ");
    }
    return s;
  }
};

TEST_F(KeepMarks, KeepingALaterSlotMovesItsTextUpToTheEndOfTheKeptRun) {
  begin(8, 0);
  userClicks(5);
  EXPECT_EQ(row(), "5* 1 2 3 4 6 7 8 ");
  EXPECT_TRUE(store().hasKeepLetter(1));
}

TEST_F(KeepMarks, KeepingTheSlotRightAfterTheRunKeepsItInPlace) {
  begin(5, 2);
  userClicks(3);
  EXPECT_EQ(row(), "1* 2* 3* 4 5 ");
}

TEST_F(KeepMarks, ReleasingAKeptSlotDeletesItsTextAndMovesTheRestUp) {
  begin(6, 4);
  userClicks(2);
  EXPECT_EQ(row(), "1* 3* 4* 5 6 ");
  EXPECT_FALSE(store().memo(6).visible());
  EXPECT_EQ(slotFile(6), "");
}

TEST_F(KeepMarks, ReleasingTheLastKeptSlot) {
  begin(6, 4);
  userClicks(4);
  EXPECT_EQ(row(), "1* 2* 3* 5 6 ");
}

TEST_F(KeepMarks, AllKeptReleasingSAndReleasingT) {
  begin(20, 20);
  userClicks(19);
  EXPECT_EQ(slotText(19), "20");
  EXPECT_TRUE(store().checked(19));
  EXPECT_TRUE(store().isEmpty(20));
  EXPECT_FALSE(store().memo(20).visible());
  userClicks(19);  // S released again: T is empty now
  EXPECT_TRUE(store().isEmpty(19));
}

TEST_F(KeepMarks, ReleasingTWhenAllAreKept) {
  begin(20, 20);
  userClicks(20);
  EXPECT_TRUE(store().isEmpty(20));
  EXPECT_FALSE(store().memo(20).visible());
  for (int i = 1; i <= 19; ++i)
    EXPECT_TRUE(store().checked(i)) << i;
}

TEST_F(KeepMarks, ASecondChangeInsideTheGuardWindowIsNotProcessed) {
  begin(8, 0);
  userClicks(8, 100);
  userClicks(7, 600);
  EXPECT_EQ(row().substr(0, 6), "8* 1 2");
  EXPECT_TRUE(store().checked(7));  // shows a check, nothing moved
  EXPECT_FALSE(store().hasKeepLetter(7));
}

TEST_F(KeepMarks, ReleasingAInsideTheGuardWindowIsUndone) {
  begin(4, 0);
  userClicks(1, 100);
  ASSERT_TRUE(store().checked(1));
  userClicks(1);
  EXPECT_EQ(row(), "1* 2 3 4 ");
  EXPECT_TRUE(store().hasKeepLetter(1));
}

TEST_F(KeepMarks, ASecondChangeAfterTheGuardWindowIsProcessed) {
  begin(8, 0);
  userClicks(8);
  userClicks(7);
  // after the first: 8 1 2 3 4 5 6 7; G holds 6
  EXPECT_EQ(row(), "8* 6* 1 2 3 4 5 7 ");
}

TEST_F(KeepMarks, KeepMarkOnAnEmptySlotIsRefused) {
  begin(3, 0);
  platform::runHandler(*platform, [&] { store().box(5).setChecked(true); });
  EXPECT_FALSE(store().checked(5));
}

TEST_F(KeepMarks, EveryProcessedChangeClearsTheSelectionAndRequestsAColourPass) {
  begin(3, 0);
  platform->rightPress(store().memo(2));
  desktop->advance(100);
  ASSERT_EQ(program->state().marks.slotSelection[2], 1);
  platform->click(store().box(1));
  EXPECT_EQ(program->state().marks.slotSelection[2], 0);
  EXPECT_TRUE(panel().colourTimer.running());
  EXPECT_TRUE(panel().keepGuardTimer.running());
}

TEST_F(KeepMarks, KeptRunSurvivesCaptureOfAFullStoreAfterARestart) {
  std::vector<std::string> t;
  for (int i = 1; i <= 20; ++i)
    t.push_back("s" + std::to_string(i));
  writeSlotFiles(t, "C");
  start();
  desktop->advance(600);
  userClicks(2);  // release B: C moves up, B stays kept, C ends unkept
  copy("fresh");
  EXPECT_EQ(slotText(1), "s1");
  EXPECT_EQ(slotText(2), "s3");
  EXPECT_EQ(slotText(20), "fresh");
  // no kept text was copied into another slot
  int s3 = 0;
  for (int i = 1; i <= 20; ++i)
    s3 += slotText(i) == "s3";
  EXPECT_EQ(s3, 1);
}

}  // namespace
