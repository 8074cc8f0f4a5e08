// The user's session ends (sign-out, restart, shut-down) while the program runs: it saves what
// closing it saves, without a word and without the clipboard, and then ends.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/sim_fixture.h"

namespace {

using testing_support::bytes;
using testing_support::SimFixture;

class SessionEnd : public SimFixture {
 protected:
  // Memory ahead of the disk: C corrected in the editor (the capture stored its text in F), then
  // B deleted (C..F moved up), then A kept, while B..F's files and the definition file were held
  // by another program (each change reported the file it could not save).
  void changeEverything() {
    writeSlotFiles({"a", "b", "c", "d", "e"});
    start();
    platform->trayIcon(platform::kWmLButtonDown);
    desktop->advance(100);
    platform->rightPress(store().memo(3));
    platform->chooseMenuItem(panel().editItem);
    for (int i = 2; i <= 6; ++i)
      desktop->failWrite(files::slotFileName(i));
    desktop->failWrite(files::kDefinitionFile);
    program->settings().slotEditorMemo.userSetText(bytes("c edited"));
    desktop->confirmAnswers.push_back(true);
    platform->click(program->settings().editorCloseButton);
    desktop->advance(600);
    platform->rightPress(store().memo(2));
    desktop->confirmAnswers.push_back(true);
    platform->chooseMenuItem(panel().deleteItem);
    desktop->advance(600);
    platform->click(store().box(1));
    desktop->advance(600);
    for (int i = 2; i <= 6; ++i)
      desktop->failWrite(files::slotFileName(i), false);
    desktop->failWrite(files::kDefinitionFile, false);
    ASSERT_EQ(texts(), (std::vector<std::string>{"a", "c edited", "d", "e", "c edited", "", "",
                                                 "",  "",         "",  "",  "",         "", "",
                                                 "",  "",         "",  "",  "",         ""}));
    ASSERT_EQ(slotFile(2), "b");
    ASSERT_EQ(file("Kolvex20.ini"), "");
    ASSERT_TRUE(store().checked(1));
  }
};

TEST_F(SessionEnd, EveryFileThenHoldsWhatThePanelShowsAndNothingIsAskedOrShown) {
  changeEverything();
  // As after a sequence run whose last value is still on the clipboard, which a close empties.
  const std::string onClipboard = clipboard();
  ASSERT_FALSE(onClipboard.empty());
  program->state().insertion.lastInsertedText = bytes(onClipboard);
  const int boxes = static_cast<int>(desktop->boxes.size());

  platform->endSession();

  for (int i = 1; i <= 20; ++i)
    EXPECT_EQ(slotFile(i), slotText(i)) << i;
  EXPECT_EQ(file("Kolvex20.ini"), "A");
  EXPECT_EQ(static_cast<int>(desktop->boxes.size()), boxes);
  EXPECT_EQ(clipboard(), onClipboard);
  EXPECT_TRUE(platform->quitRequested());
}

TEST_F(SessionEnd, FilesThatHoldTheirTextAreNotWrittenAndOneThatFailsStopsNoOther) {
  changeEverything();
  // A is as loaded, G..T are the empty files they were loaded from.
  std::vector<int> writes;
  for (int i = 1; i <= 20; ++i)
    writes.push_back(desktop->writesOf(files::slotFileName(i)));
  desktop->failWrite("Kolvex2.txt");
  const int errors = errorCount();

  platform->endSession();

  EXPECT_EQ(slotFile(2), "b");  // its old bytes, silently
  EXPECT_EQ(slotFile(3), "d");
  EXPECT_EQ(slotFile(4), "e");
  EXPECT_EQ(slotFile(5), "c edited");
  EXPECT_EQ(file("Kolvex20.ini"), "A");
  EXPECT_EQ(errorCount(), errors);
  for (int i = 1; i <= 20; ++i) {
    if (i >= 2 && i <= 6) continue;
    EXPECT_EQ(desktop->writesOf(files::slotFileName(i)), writes[static_cast<std::size_t>(i - 1)])
        << i;
  }
  EXPECT_TRUE(platform->quitRequested());
}

// Files held by another program are not waited for: Windows gives the session's end only a few
// seconds. While changes were not saved, Windows was told why.
TEST_F(SessionEnd, HeldFilesAreNotWaitedForAndWindowsWasToldOfUnsavedChanges) {
  changeEverything();
  EXPECT_FALSE(platform->unsavedReason().empty());
  for (int i = 2; i <= 3; ++i)
    desktop->otherHoldsFileFor(files::slotFileName(i), 60000);
  const auto t0 = desktop->now();

  platform->endSession();

  EXPECT_LT(desktop->now() - t0, platform::kFileBusyWaitMs);
  EXPECT_EQ(slotFile(2), "b");
  EXPECT_EQ(slotFile(4), "e");
  EXPECT_TRUE(platform->quitRequested());
}

}  // namespace
