#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "sequence/insertion_support.h"
#include "support/sim_fixture.h"

namespace {

using namespace std::string_literals;
using testing_support::bytes;
using testing_support::SimFixture;

class Capture : public SimFixture {
 protected:
  std::string colon() { return cp932("："); }
  std::vector<std::string> twenty(const char* prefix) {
    std::vector<std::string> t;
    for (int i = 1; i <= 20; ++i)
      t.push_back(prefix + std::to_string(i));
    return t;
  }
  void keepFirst(int k) {
    for (int i = 1; i <= k; ++i) {
      platform->click(store().box(i));
      desktop->advance(600);
    }
  }
};

TEST_F(Capture, FirstCopyIntoAnEmptyStoreFillsAFoldsThePanelAndSavesTheFile) {
  start();
  copy("hello");
  EXPECT_EQ(slotText(1), "hello");
  EXPECT_EQ(slotFile(1), "hello");
  EXPECT_TRUE(store().memo(1).visible());
  EXPECT_TRUE(store().box(1).visible());
  EXPECT_EQ(panel().form.caption(), "A" + colon() + "hello");
  EXPECT_EQ(panel().form.clientHeight(), 0);  // folded to the title bar
  EXPECT_TRUE(panel().form.topmost());
  EXPECT_TRUE(panel().cbClearButton.visible());
}

TEST_F(Capture, CopyWaitsBeforeReadingSoASettlingCopyIsSeenWhole) {
  start();
  desktop->otherCopiesText("x");
  desktop->advance(platform::kClipboardSettleMs - 1);
  EXPECT_EQ(desktop->textReads(), 0);
  desktop->advance(1);
  EXPECT_EQ(slotText(1), "x");
}

TEST_F(Capture, SameTextAgainChangesNothingButCaptionAndColour) {
  writeSlotFiles({"one", "two", "three"});
  start();
  const int writes = desktop->totalWrites();
  copy("two");
  EXPECT_EQ(texts()[1], "two");
  EXPECT_EQ(slotText(4), "");
  EXPECT_EQ(desktop->totalWrites(), writes);
  EXPECT_EQ(panel().form.caption(), "B" + colon() + "two");
  EXPECT_EQ(store().memo(2).color(), history::kMatchColour);
}

// A dropped-down panel is not on top; any text copied puts it back there.
TEST_F(Capture, CopyPutsADroppedDownPanelBackOnTop) {
  writeSlotFiles({"one"});
  start();
  copy("one");
  platform->titleBarPress();  // drop down
  ASSERT_FALSE(panel().form.topmost());
  copy("one");  // held by a slot: the panel stays down
  EXPECT_TRUE(panel().form.topmost());
  EXPECT_GT(panel().form.outerHeight(), 50);
  platform->titleBarPress();  // fold up
  platform->titleBarPress();  // drop down again
  ASSERT_FALSE(panel().form.topmost());
  copy("two");  // a new text folds it as well
  EXPECT_TRUE(panel().form.topmost());
  EXPECT_EQ(panel().form.clientHeight(), 0);
}

TEST_F(Capture, TextsThatDifferInCaseOrATrailingLineBreakAreNewTexts) {
  writeSlotFiles({"Text"});
  start();
  copy("text");
  copy("Text\r\n");
  copy("Text ");
  EXPECT_EQ(slotText(2), "text");
  EXPECT_EQ(slotText(3), "Text\r\n");
  EXPECT_EQ(slotText(4), "Text ");
}

TEST_F(Capture, FullStoreShiftsUnkeptTextsTowardsAAndKeptOnesStay) {
  writeSlotFiles(twenty("t"), "B");
  start();
  desktop->advance(600);
  const int before = desktop->totalWrites();
  copy("new");
  EXPECT_EQ(slotText(1), "t1");
  EXPECT_EQ(slotText(2), "t2");
  EXPECT_EQ(slotText(3), "t4");  // the old C is gone
  EXPECT_EQ(slotText(19), "t20");
  EXPECT_EQ(slotText(20), "new");
  // only the new text is written; C..S take the files of D..T
  EXPECT_EQ(desktop->totalWrites() - before, 1);
  EXPECT_EQ(desktop->linksOf("Kolvex3.txt"), 1);
  EXPECT_EQ(desktop->linksOf("Kolvex19.txt"), 1);
  for (int i = 1; i <= 20; ++i)
    EXPECT_EQ(slotFile(i), slotText(i));
  EXPECT_EQ(panel().form.caption(), "T" + colon() + "new");
}

// A copy the full, all-kept history cannot take stays on the clipboard for pasting: neither the
// colour pass nor summoning the panel empties it, and the caption shows the bare text instead of
// the slot that was named before. A run's last value is the program's own and still goes, but
// not when another program has copied the same text since.
TEST_F(Capture, ACopyNoSlotCanTakeStaysOnTheClipboardWhateverShowsThePanel) {
  writeSlotFiles(twenty("k"), "T");
  start();
  desktop->advance(600);
  copy("k5");
  ASSERT_EQ(panel().form.caption(), "E" + colon() + "k5");
  const int before = desktop->totalWrites();
  copy("nowhere");
  EXPECT_EQ(desktop->totalWrites(), before);
  EXPECT_EQ(texts(), twenty("k"));
  EXPECT_EQ(panel().form.clientHeight(), 0);
  EXPECT_EQ(panel().form.caption(), "nowhere");
  const std::vector<std::function<void()>> passes{
      [&] { store().requestColourPass(); }, [&] { platform->hotkey(); },
      [&] { platform->trayIcon(platform::kWmLButtonDown); },
      [&] {
        program->state().insertion.lastInsertedText =
            bytes("nowhere");  // a run's value, copied since
        store().requestColourPass();
      }};
  for (std::size_t k = 0; k < passes.size(); ++k) {
    passes[k]();
    desktop->advance(100);
    EXPECT_EQ(desktop->clipboardBytes(), "nowhere") << k;
    EXPECT_EQ(panel().form.caption(), "nowhere") << k;
    EXPECT_TRUE(panel().cbClearButton.visible()) << k;
    EXPECT_GT(panel().form.outerHeight(), 0) << k;
  }
}

TEST_F(Capture, EmptyOrNonTextClipboardClearsCaptionHidesThePanelAndTheClearButton) {
  writeSlotFiles({"one"});
  start();
  copy("one");
  ASSERT_TRUE(panel().cbClearButton.visible());
  for (auto change : {0, 1}) {
    copy("one");
    if (change == 0)
      desktop->otherEmptiesClipboard();
    else
      desktop->otherCopiesNonText();
    desktop->advance(100);
    EXPECT_EQ(panel().form.caption(), "");
    EXPECT_EQ(panel().form.outerHeight(), 0);
    EXPECT_FALSE(panel().cbClearButton.visible());
    EXPECT_EQ(slotText(1), "one");
  }
}

TEST_F(Capture, TextIsReadUpToItsFirstZeroByte) {
  start();
  copy("abc\0def"s);
  EXPECT_EQ(slotText(1), "abc");
  copy("\0hidden"s);  // reads as no text at all
  EXPECT_EQ(slotText(2), "");
  EXPECT_EQ(panel().form.outerHeight(), 0);
}

TEST_F(Capture, OneByteAndTenMegabyteTextsAreStoredWhole) {
  start();
  copy("x");
  std::string big(10u << 20, 'y');
  big[123] = '\n';
  copy(big);
  EXPECT_EQ(slotText(1), "x");
  EXPECT_EQ(slotText(2), big);  // the clipboard text is stored as it is, lone LF and all
  EXPECT_EQ(slotFile(2), big);
}

TEST_F(Capture, ClipboardHeldOpenIsReportedInTheCaptionAndStoresNothing) {
  start();
  desktop->otherCopiesText("locked");
  desktop->otherHoldsClipboard(true);
  desktop->advance(platform::kClipboardSettleMs + platform::kClipboardBusyWaitMs - 10);
  EXPECT_EQ(panel().form.caption(), "");  // still waiting it out
  desktop->advance(20);
  // Once, and in the caption: no box takes the keyboard from the program the user types in.
  EXPECT_EQ(panel().form.caption(), cp932("クリップボードを開くことができません"));
  EXPECT_GT(panel().form.outerHeight(), 0);
  desktop->advance(5000);
  EXPECT_EQ(errorCount(), 0);
  EXPECT_EQ(slotText(1), "");
  desktop->otherHoldsClipboard(false);
  copy("free again");
  EXPECT_EQ(slotText(1), "free again");
}

// A save that fails is told once, not at every copy; the history goes on in memory, the system
// is told that changes are not saved, and the first save that succeeds writes everything.
TEST_F(Capture, SaveThatFailsIsToldOnceAndTheNextSaveThatCanWritesEverything) {
  writeSlotFiles({"a"});
  start();
  desktop->failWrite("Kolvex2.txt");
  desktop->failWrite("Kolvex3.txt");
  int attempts = 0;
  desktop->onWriteAttempt = [&](const std::string&) { ++attempts; };
  const auto t0 = desktop->now();
  copyAndHandleAtOnce("b");
  desktop->onWriteAttempt = nullptr;
  EXPECT_EQ(attempts, 1);              // not tried again
  EXPECT_EQ(desktop->now() - t0, 50);  // only the wait before the read
  EXPECT_EQ(slotText(2), "b");
  EXPECT_EQ(slotFile(2), "");  // still the old file
  ASSERT_EQ(errorCount(), 1);
  EXPECT_NE(desktop->errors()[0].text.find("Kolvex2.txt"), std::string::npos);
  EXPECT_FALSE(platform->unsavedReason().empty());
  EXPECT_EQ(panel().form.caption(), "B" + colon() + "b");
  copy("c");
  EXPECT_EQ(slotText(3), "c");
  EXPECT_EQ(errorCount(), 1);
  desktop->failWrite("Kolvex2.txt", false);
  desktop->failWrite("Kolvex3.txt", false);
  copy("d");
  EXPECT_EQ(slotFile(2), "b");
  EXPECT_EQ(slotFile(3), "c");
  EXPECT_EQ(slotFile(4), "d");
  EXPECT_TRUE(platform->unsavedReason().empty());
  // A later failure is told again.
  desktop->failWrite("Kolvex5.txt");
  copy("e");
  EXPECT_EQ(errorCount(), 2);
}

TEST_F(Capture, JapaneseTextRoundTripsAsSystemCodePageBytes) {
  start();
  const std::string t = cp932("クリップボード履歴\r\n表示");
  copy(t);
  EXPECT_EQ(slotFile(1), t);
  EXPECT_EQ(panel().form.caption(), "A" + colon() + t);
}

TEST_F(Capture, OwnWriteIsCapturedBeforeTheWriteReturns) {
  writeSlotFiles({"a"});
  start();
  text::Text captionRightAfter;
  platform::runHandler(*platform, [&] {
    platform->writeClipboardText(bytes("own"));
    captionRightAfter = panel().form.caption();
  });
  EXPECT_EQ(captionRightAfter, "B" + colon() + "own");
  EXPECT_EQ(slotText(2), "own");
}

// The run's own clipboard writes while armed are shown, not stored; the user's Ctrl+C meanwhile
// is an ordinary copy.
class CaptureDuringARun : public testing_support::InsertionFixture {};

TEST_F(CaptureDuringARun, InsertedValueIsShownButNotStoredAndTheUsersOwnCopyIs) {
  startRun();
  arm();
  ASSERT_TRUE(flags().insertArmed);
  const std::vector<std::string> before = texts();
  clickAndWait();
  ASSERT_EQ(field->text, "No.1)");
  EXPECT_EQ(texts(), before);
  EXPECT_EQ(panel().form.caption(), "No.1)");
  EXPECT_EQ(panel().form.outerHeight(), sim::SimPlatform::kFrameHeight - 3);

  arm();
  ASSERT_TRUE(flags().insertArmed);
  desktop->userKey(kCtrl, false);
  desktop->otherCopiesText("user copy");
  desktop->advance(100);
  desktop->userKey(kCtrl, true);
  EXPECT_EQ(slotText(2), "user copy");
  EXPECT_EQ(slotFile(2), "user copy");
}

}  // namespace
