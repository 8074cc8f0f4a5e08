#include <gtest/gtest.h>

#include <string>

#include "sequence/insertion_support.h"
#include "support/sim_fixture.h"

namespace {

using namespace std::string_literals;
using testing_support::SimFixture;
using Kind = sim::SimDesktop::ClipKind;

class Lifecycle : public SimFixture {
 protected:
  void closeFromTray() {
    platform->trayIcon(platform::kWmRButtonDown);
    ASSERT_NE(platform->openMenu(), nullptr);
    platform->chooseMenuItem(panel().trayCloseItem);
  }
};

TEST_F(Lifecycle, FirstStartInAnEmptyFolderWritesTwentyOneEmptyFilesAndShowsNothing) {
  start();
  for (int i = 1; i <= 20; ++i)
    EXPECT_EQ(slotFile(i), "") << i;
  EXPECT_EQ(file("Kolvex20.ini"), "");
  for (int i = 1; i <= 20; ++i) {
    EXPECT_FALSE(store().memo(i).visible());
    EXPECT_FALSE(store().checked(i));
  }
  EXPECT_TRUE(platform->trayIconShown());
  EXPECT_EQ(platform->trayTip(), "Kolvex20");
  EXPECT_TRUE(platform->hotkeyRegistered());
  EXPECT_TRUE(platform->listening());
  EXPECT_EQ(platform->applicationTitle(), "Kolvex20");
  EXPECT_TRUE(platform->applicationToolWindow());
  EXPECT_EQ(panel().form.outerHeight(), 0);
  EXPECT_EQ(panel().form.top(), -3);
  EXPECT_EQ(panel().form.left(), 1280 / 2 - 150);
  EXPECT_EQ(panel().form.width(), 335);
  EXPECT_EQ(platform->hintPauseMs(), 0);
  EXPECT_EQ(platform->hintHideMs(), 10000);
  EXPECT_TRUE(panel().form.visible());
  EXPECT_FALSE(program->settingsForm().visible());
  EXPECT_FALSE(program->hintForm().visible());
}

TEST_F(Lifecycle, SecondStartOnlySaysItIsRunningAndLeavesTheFirstAlone) {
  start();
  copy("kept by the first");
  sim::SimPlatform second(*desktop);
  app::Program other(second);
  EXPECT_FALSE(other.start());
  ASSERT_EQ(desktop->boxes.size(), 1u);
  EXPECT_EQ(desktop->boxes[0].text, cp932("Kolvex20は起動中です"));
  EXPECT_FALSE(second.trayIconShown());
  EXPECT_FALSE(second.listening());
  copy("still captured");
  EXPECT_EQ(slotText(2), "still captured");
}

TEST_F(Lifecycle, StoredSlotsLoadAndShowTheirRows) {
  writeSlotFiles({"one", "two\nlines", "three"});
  start();
  EXPECT_EQ(slotText(1), "one");
  EXPECT_EQ(slotText(2), "two\r\nlines");
  for (int i = 1; i <= 3; ++i)
    EXPECT_TRUE(store().memo(i).visible());
  EXPECT_FALSE(store().memo(4).visible());
  EXPECT_EQ(desktop->errors().size(), 0u);
}

TEST_F(Lifecycle, MissingOrUnreadableSlotFileKeepsTheInitialLineBreak) {
  writeSlotFiles({"a", "b", "c", "d", "e", "f"});
  std::filesystem::remove(dir / "Kolvex5.txt");
  desktop->failRead("Kolvex6.txt");
  start();
  EXPECT_EQ(slotText(4), "d");
  EXPECT_EQ(slotText(5), "\r\n");
  EXPECT_EQ(slotText(6), "\r\n");
  EXPECT_TRUE(store().memo(5).visible());
  EXPECT_EQ(errorCount(), 0);
}

// line 0 of the definition file -> boxes checked
class KeepRestore : public Lifecycle,
                    public ::testing::WithParamInterface<std::pair<const char*, int>> {};

TEST_P(KeepRestore, OnlyASingleCapitalLetterRestoresTheKeptRun) {
  writeSlotFiles({"a", "b", "c", "d", "e"}, std::string(GetParam().first) + "\r\n定義1");
  start();
  for (int i = 1; i <= 20; ++i)
    EXPECT_EQ(store().checked(i), i <= GetParam().second) << i;
}

INSTANTIATE_TEST_SUITE_P(Line0, KeepRestore,
                         ::testing::Values(std::make_pair("C", 3), std::make_pair("A", 1),
                                           std::make_pair("E", 5), std::make_pair("c", 0),
                                           std::make_pair(" C", 0), std::make_pair("C ", 0),
                                           std::make_pair("AB", 0), std::make_pair("", 0),
                                           std::make_pair("U", 0),
                                           // a kept slot is never empty: only A..E hold text
                                           std::make_pair("H", 5)),
                         [](const auto& info) {
                           std::string line;
                           for (const char* c = info.param.first; *c; ++c)
                             line += *c == ' ' ? std::string("Space") : std::string(1, *c);
                           return (line.empty() ? std::string("Empty") : line) + "_Keeps" +
                                  std::to_string(info.param.second);
                         });

TEST_F(Lifecycle, RestoredKeptRunSurvivesAReleaseLikeAnyKeptRun) {
  writeSlotFiles({"a", "b", "c", "d", "e"}, "C");
  start();
  desktop->advance(600);  // guard window over
  platform->click(store().box(2));
  desktop->advance(600);
  EXPECT_EQ(texts()[0], "a");
  EXPECT_EQ(texts()[1], "c");
  EXPECT_EQ(texts()[2], "d");
  EXPECT_TRUE(store().checked(1));
  EXPECT_TRUE(store().checked(2));
  EXPECT_FALSE(store().checked(3));
}

TEST_F(Lifecycle, StartupClipboardTextHeldByASlotIsNamedInTheCaption) {
  writeSlotFiles({"same", "other"});
  desktop->otherCopiesText("same");
  start();
  EXPECT_EQ(panel().form.caption(), "A" + cp932("：") + "same");
  EXPECT_EQ(store().memo(1).color(), history::kMatchColour);
  EXPECT_EQ(clipboard(), "same");
  EXPECT_EQ(slotText(3), "");
}

TEST_F(Lifecycle, StartupClipboardTextNoSlotHoldsEntersTheHistory) {
  writeSlotFiles({"one"});
  desktop->otherCopiesText("fresh");
  start();
  EXPECT_EQ(slotText(2), "fresh");
  EXPECT_EQ(slotFile(2), "fresh");
  EXPECT_EQ(clipboard(), "fresh");
  EXPECT_EQ(panel().form.caption(), "B" + cp932("：") + "fresh");
  EXPECT_EQ(store().memo(2).color(), history::kMatchColour);
}

TEST_F(Lifecycle, NonTextClipboardSurvivesStartAndClose) {
  writeSlotFiles({"one"});
  desktop->otherCopiesNonText();
  start();
  EXPECT_EQ(desktop->clipboardKind(), Kind::Other);
  closeFromTray();
  EXPECT_EQ(desktop->clipboardKind(), Kind::Other);
  EXPECT_TRUE(platform->quitRequested());
}

TEST_F(Lifecycle, CloseWritesTheKeepStateAndWhatIsNotOnDiskYetAndEndsTheLoop) {
  writeSlotFiles({"a", "b", "c", "d", "e"}, "D\r\n定義1,x");
  start();
  desktop->advance(600);
  copy("new");
  const int before = desktop->totalWrites();
  closeFromTray();
  // The slot files already hold the slots: the definition file alone is written.
  EXPECT_EQ(desktop->totalWrites() - before, 1);
  EXPECT_EQ(file("Kolvex20.ini"), "D\r\n定義1,x");
  EXPECT_EQ(slotFile(6), "new");
  EXPECT_TRUE(platform->quitRequested());
  EXPECT_FALSE(panel().form.visible());
  program->shutdown();
  EXPECT_FALSE(platform->trayIconShown());
  EXPECT_FALSE(platform->hotkeyRegistered());
  EXPECT_FALSE(platform->listening());
}

TEST_F(Lifecycle, CloseWithNothingKeptWritesAnEmptyFirstLine) {
  writeSlotFiles({"a"}, "B\r\nrest");
  start();
  EXPECT_TRUE(store().checked(1));
  desktop->advance(600);
  platform->click(store().box(1));  // release A
  closeFromTray();
  EXPECT_EQ(file("Kolvex20.ini"), "\r\nrest");
}

TEST_F(Lifecycle, CloseFromZeroHeightGoesThroughTheStrip) {
  start();
  EXPECT_EQ(panel().form.outerHeight(), 0);
  closeFromTray();
  EXPECT_EQ(panel().form.outerHeight(), sim::SimPlatform::kFrameHeight - 3);
}

class LifecycleAfterARun : public testing_support::InsertionFixture {
 protected:
  void closeFromTray() {
    platform->trayIcon(platform::kWmRButtonDown);
    platform->chooseMenuItem(panel().trayCloseItem);
  }
};

TEST_F(LifecycleAfterARun, ClipboardTextOfTheLastInsertedValueIsTakenOffAtClose) {
  startRun("1");
  arm();
  clickAndWait();
  ASSERT_EQ(field->text, "No.1)");
  ASSERT_EQ(clipboard(), "No.1)");
  closeFromTray();
  EXPECT_TRUE(platform->quitRequested());
  EXPECT_EQ(desktop->clipboardKind(), Kind::Empty);
}

TEST_F(LifecycleAfterARun, AnotherTextCopiedAfterTheRunStaysAtClose) {
  startRun("1");
  arm();
  clickAndWait();
  ASSERT_EQ(field->text, "No.1)");
  copy("the user's own");
  closeFromTray();
  EXPECT_TRUE(platform->quitRequested());
  EXPECT_EQ(clipboard(), "the user's own");
}

TEST_F(Lifecycle, UsersOwnClipboardTextStaysAtClose) {
  start();
  copy("mine");
  closeFromTray();
  EXPECT_EQ(clipboard(), "mine");
}

TEST_F(Lifecycle, FileThatCannotBeWrittenAtCloseStopsTheCloseAndKeepsRunning) {
  writeSlotFiles({"a", "b", "c"});
  start();
  desktop->failWrite("Kolvex4.txt");
  copy("d");  // told once; the text stays in memory
  ASSERT_EQ(slotFile(4), "");
  ASSERT_EQ(errorCount(), 1);
  closeFromTray();
  EXPECT_EQ(errorCount(), 2);
  EXPECT_FALSE(platform->quitRequested());
  EXPECT_TRUE(panel().form.visible());
  desktop->failWrite("Kolvex4.txt", false);
  closeFromTray();
  EXPECT_TRUE(platform->quitRequested());
  // The close caught up with the save the capture had dropped.
  EXPECT_EQ(slotFile(4), "d");
}

TEST_F(Lifecycle, FirstStartThatCannotWriteReportsItAndKeepsTheClipboardText) {
  desktop->otherCopiesText("precious");
  desktop->failWrite("Kolvex1.txt");
  start();
  EXPECT_EQ(errorCount(), 1);
  EXPECT_EQ(clipboard(), "precious");
  EXPECT_TRUE(panel().form.visible());
  // The start stopped before its capture: the text stays on the clipboard, not in the history.
  copy("later");
  EXPECT_EQ(slotText(1), "later");
}

TEST_F(Lifecycle, ClipboardHeldOpenAtStartIsLeftAloneAndReported) {
  writeSlotFiles({"a"});
  desktop->otherCopiesText("theirs");
  desktop->otherHoldsClipboard(true);
  start();
  EXPECT_GE(errorCount(), 1);
  EXPECT_EQ(desktop->errors()[0].text, cp932("クリップボードを開くことができません"));
  EXPECT_EQ(clipboard(), "theirs");
  EXPECT_EQ(slotText(1), "a");
  desktop->otherHoldsClipboard(false);
  copy("next");
  EXPECT_EQ(slotText(2), "next");
}

}  // namespace
