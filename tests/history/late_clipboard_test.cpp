// Copies as real programs make them: a source that renders its text only when asked (and takes
// seconds), other readers that hold the clipboard right after a copy. The panel keeps answering,
// each copy is rendered once, and nothing is shouted about that a moment's wait settles.
#include <gtest/gtest.h>

#include "support/sim_fixture.h"

namespace {

using testing_support::bytes;
using testing_support::SimFixture;

class LateClipboard : public SimFixture {
 protected:
  void SetUp() override {
    writeSlotFiles({"one", "two"});
    start();
    desktop->advance(600);
  }
  std::string caption() { return panel().form.caption().bytes(); }
  void expand() {
    platform->trayIcon(platform::kWmLButtonDown);
    desktop->advance(100);
  }
};

TEST_F(LateClipboard, ASourceRenderingLateNeverFreezesThePanelAndItsTextArrivesAfterwards) {
  const auto t0 = desktop->now();
  desktop->otherCopiesLate("late text", 3000);
  desktop->advance(100);
  // No handler held the thread while the source renders: the time is still the user's.
  EXPECT_LT(desktop->now() - t0, 200);
  expand();
  EXPECT_TRUE(store().expanded());
  EXPECT_EQ(slotText(3), "");
  desktop->advance(3000);
  EXPECT_EQ(slotText(3), "late text");
  EXPECT_EQ(slotFile(3), "late text");
  EXPECT_EQ(caption(), "C" + cp932("：") + "late text");
  EXPECT_EQ(errorCount(), 0);
}

TEST_F(LateClipboard, OneCopyIsRenderedOnceAndNeverAskedForAgain) {
  desktop->otherCopiesLate("once", 500);
  desktop->advance(1000);
  ASSERT_EQ(slotText(3), "once");
  EXPECT_EQ(desktop->renders(), 1);
  const int reads = desktop->textReads();
  // Every look the panel takes at the clipboard afterwards: summons, colour passes, a Shift
  // release, a loss of activation.
  platform->hotkey();
  desktop->advance(100);
  platform->keyUp(panel().form, 16);
  platform->trayIcon(platform::kWmLButtonDown);
  desktop->advance(100);
  platform->click(store().box(1));
  desktop->advance(600);
  desktop->activateOther(desktop->createOtherWindow({0, 0, 800, 600}));
  desktop->advance(100);
  EXPECT_EQ(desktop->textReads(), reads);
  EXPECT_EQ(desktop->renders(), 1);
}

TEST_F(LateClipboard, LooksWhileTheSourceRendersAskNothingOfIt) {
  const auto t0 = desktop->now();
  desktop->otherCopiesLate("slow", 3000);
  // Summoned at once, before the reader has asked: the summon and its colour pass only ask
  // whether there is text.
  platform->hotkey();
  desktop->advance(60);
  platform->keyUp(panel().form, 16);
  EXPECT_EQ(desktop->renders(), 1);  // the reader's one rendering, under way
  EXPECT_LT(desktop->now() - t0, 200);
  desktop->advance(3500);
  EXPECT_EQ(slotText(3), "slow");
  EXPECT_EQ(desktop->renders(), 1);
  EXPECT_EQ(errorCount(), 0);
}

TEST_F(LateClipboard, ARenderThatFailsLeavesHistoryAndPanelAsTheyWere) {
  copy("two");
  const std::string before = caption();
  const int height = panel().form.outerHeight();
  desktop->otherCopiesLate("never handed over", 1000, true);
  desktop->advance(2000);
  EXPECT_EQ(caption(), before);
  EXPECT_EQ(panel().form.outerHeight(), height);
  EXPECT_EQ(texts()[2], "");
  EXPECT_EQ(errorCount(), 0);
  // Not asked for again by the panel's later looks.
  platform->trayIcon(platform::kWmLButtonDown);
  desktop->advance(200);
  EXPECT_EQ(desktop->renders(), 1);
}

TEST_F(LateClipboard, ANewerCopySupersedesOneStillWaitedFor) {
  desktop->otherCopiesText("older");
  desktop->otherHoldsClipboardFor(1000);
  desktop->advance(300);
  desktop->otherCopiesText("newer");
  desktop->advance(1500);
  EXPECT_EQ(slotText(3), "newer");
  EXPECT_EQ(slotText(4), "");
  EXPECT_EQ(store().firstMatch(bytes("older")), 0);
  EXPECT_EQ(errorCount(), 0);
}

TEST_F(LateClipboard, CopiesAreStoredInTheOrderTheyWereMade) {
  desktop->otherCopiesText("first");
  desktop->advance(100);
  desktop->otherCopiesLate("second", 400);
  desktop->advance(600);
  desktop->otherCopiesText("third");
  desktop->advance(100);
  EXPECT_EQ(texts()[2], "first");
  EXPECT_EQ(texts()[3], "second");
  EXPECT_EQ(texts()[4], "third");
}

TEST_F(LateClipboard, AClipboardHeldForAMomentIsWaitedOutWithoutABox) {
  desktop->otherCopiesText("held a moment");
  desktop->otherHoldsClipboardFor(600);
  desktop->advance(1000);
  EXPECT_EQ(slotText(3), "held a moment");
  EXPECT_EQ(errorCount(), 0);
}

TEST_F(LateClipboard, AKeepMarkClickedWhileTheClipboardIsHeldShowsAtMostOneBox) {
  expand();
  desktop->otherCopiesText("held long");
  desktop->otherHoldsClipboardFor(3000);
  desktop->advance(100);
  platform->click(store().box(1));
  desktop->advance(4000);
  EXPECT_LE(errorCount(), 1);
  EXPECT_TRUE(store().checked(1));
}

}  // namespace
