#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/sim_fixture.h"

namespace {

using testing_support::SimFixture;
using Kind = sim::SimDesktop::ClipKind;

class DeleteClear : public SimFixture {
 protected:
  void begin(const std::vector<std::string>& t, const std::string& kept = "") {
    writeSlotFiles(t, kept);
    start();
    desktop->advance(600);
    platform->trayIcon(platform::kWmLButtonDown);
    desktop->advance(100);
  }
  void deleteSlot(int i, bool yes = true) {
    platform->rightPress(store().memo(i));
    desktop->confirmAnswers.push_back(yes);
    platform->chooseMenuItem(panel().deleteItem);
    desktop->advance(600);
  }
  std::string row() {
    std::string s;
    for (int i = 1; i <= 20 && !store().isEmpty(i); ++i)
      s += slotText(i).bytes() + (store().checked(i) ? "* " : " ");
    return s;
  }
};

TEST_F(DeleteClear, CancelChangesNoTextAndDropsTheSelection) {
  begin({"a", "b", "c"});
  deleteSlot(2, false);
  EXPECT_EQ(row(), "a b c ");
  EXPECT_EQ(program->state().marks.slotSelection[2], 0);
  EXPECT_TRUE(panel().deleteItem.enabled());
  ASSERT_FALSE(desktop->boxes.empty());
  EXPECT_EQ(desktop->boxes.back().text, cp932("選択のテキストボックスを削除しますか？"));
  EXPECT_EQ(desktop->boxes.back().kind, sim::SimDesktop::Box::Kind::Confirm);
}

TEST_F(DeleteClear, DeletingAnUnkeptSlotMovesTheLaterOnesUp) {
  begin({"a", "b", "c", "d", "e", "f"});
  deleteSlot(3);
  EXPECT_EQ(row(), "a b d e f ");
  EXPECT_FALSE(store().memo(6).visible());
  EXPECT_EQ(slotFile(6), "");
  EXPECT_EQ(panel().form.outerHeight(), 130);
}

TEST_F(DeleteClear, DeletingTheClipboardSlotEmptiesTheClipboardFirst) {
  begin({"a", "b", "c"});
  copy("b");
  platform->rightPress(store().memo(2));
  desktop->confirmAnswers.push_back(true);
  platform->chooseMenuItem(panel().deleteItem);
  // Emptied by the delete itself, not left for the colour pass that follows.
  EXPECT_EQ(desktop->clipboardKind(), Kind::Empty);
  desktop->advance(600);
  EXPECT_EQ(row(), "a c ");
  EXPECT_EQ(panel().form.outerHeight(), 80);  // the height rule after the capture's zero height
}

TEST_F(DeleteClear, DeletingAKeptSlotReleasesItAndTheKeptRunMovesUp) {
  begin({"a", "b", "c", "d", "e"}, "C");
  deleteSlot(2);
  EXPECT_EQ(row(), "a* c* d e ");
}

TEST_F(DeleteClear, DeletingTheLastFilledSlotJustEmptiesIt) {
  begin({"a", "b", "c"});
  deleteSlot(3);
  EXPECT_EQ(row(), "a b ");
}

TEST_F(DeleteClear, HeldClipboardStopsTheDeleteAndLeavesTheCommandDisabled) {
  begin({"a", "b"});
  copy("a");  // on the clipboard: the delete must take it off
  platform->rightPress(store().memo(1));
  desktop->otherHoldsClipboard(true);
  platform->chooseMenuItem(panel().deleteItem);
  EXPECT_EQ(errorCount(), 1);
  EXPECT_EQ(desktop->errors()[0].text, cp932("クリップボードを開くことができません"));
  EXPECT_EQ(row(), "a b ");
  EXPECT_FALSE(panel().deleteItem.enabled());
}

TEST_F(DeleteClear, AllClearWithKeptSlotsLeavesNothingKeptAndTwentyEmptyFiles) {
  begin({"a", "b", "c", "d", "e"}, "C");
  copy("a");
  desktop->confirmAnswers.push_back(true);
  platform->mouseUp(panel().allClearButton, ui::MouseButton::Right);
  for (int i = 1; i <= 20; ++i) {
    EXPECT_EQ(slotText(i), "") << i;
    EXPECT_FALSE(store().checked(i)) << i;
    EXPECT_FALSE(store().memo(i).visible()) << i;
    EXPECT_EQ(slotFile(i), "") << i;
  }
  EXPECT_EQ(desktop->boxes.back().text, cp932("クリップボード履歴を全て削除しますか？"));
  EXPECT_EQ(desktop->clipboardKind(), Kind::Empty);
  EXPECT_EQ(panel().form.caption(), "");
  EXPECT_EQ(panel().form.outerHeight(), 0);
  EXPECT_TRUE(panel().allClearButton.visible());
  EXPECT_FALSE(panel().cbClearButton.visible());
  desktop->advance(600);
  // the next copy starts a fresh, unkept history and the saved keep state is empty
  copy("fresh");
  EXPECT_EQ(row(), "fresh ");
  panel().saveAll();
  EXPECT_EQ(file("Kolvex20.ini"), "");
}

TEST_F(DeleteClear, AllClearCancelledChangesNothing) {
  begin({"a", "b"});
  desktop->confirmAnswers.push_back(false);
  platform->mouseUp(panel().allClearButton, ui::MouseButton::Left);
  EXPECT_EQ(row(), "a b ");
}

TEST_F(DeleteClear, ClipboardClearEmptiesOnlyTheClipboard) {
  begin({"a", "b"});
  copy("b");
  ASSERT_TRUE(panel().cbClearButton.visible());
  platform->click(panel().cbClearButton);
  EXPECT_EQ(desktop->clipboardKind(), Kind::Empty);
  EXPECT_EQ(row(), "a b ");
  EXPECT_FALSE(panel().cbClearButton.visible());
}

}  // namespace
