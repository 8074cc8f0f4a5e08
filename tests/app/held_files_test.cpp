// Slot files another program holds: for a moment (a virus scanner, the search indexer, a sync
// client looking at a fresh file), which the program waits out, or for longer, which must cost
// no history.
#include <gtest/gtest.h>

#include <string>

#include "support/sim_fixture.h"

namespace {

using testing_support::bytes;
using testing_support::SimFixture;

class HeldFiles : public SimFixture {
 protected:
  // Summoned with the hotkey and put away by releasing Shift, which saves everything.
  void summonAndRelease() {
    platform->hotkey();
    desktop->advance(100);
    platform->keyUp(panel().form, 16);
    desktop->advance(100);
  }
};

TEST_F(HeldFiles, AFileHeldForAMomentIsLoadedAndSavedAfterTheWait) {
  writeSlotFiles({"a", "b", "c"});
  desktop->otherHoldsFileFor("Kolvex2.txt", 300);
  start();
  EXPECT_EQ(slotText(2), "b");
  desktop->otherHoldsFileFor("Kolvex4.txt", 300);
  copy("d");
  EXPECT_EQ(slotFile(4), "d");
  EXPECT_EQ(errorCount(), 0);
}

TEST_F(HeldFiles, ASlotFileThatCouldNotBeReadAtStartKeepsItsHistoryUntilTheSlotGetsAText) {
  writeSlotFiles({"a", "b", "c"});
  desktop->otherHoldsFileFor("Kolvex2.txt", 5000);
  start();
  ASSERT_EQ(slotText(2), "\r\n");  // what a box holds before anything is loaded into it
  EXPECT_EQ(errorCount(), 0);
  desktop->advance(5000);

  // Every save of everything: the Shift release, the session's end.
  summonAndRelease();
  EXPECT_EQ(slotFile(2), "b");
  EXPECT_EQ(slotFile(3), "c");
  platform->endSession();
  EXPECT_EQ(slotFile(2), "b");

  // A text of its own (here the editor's) reaches the file as any slot's does.
  store().setText(2, bytes("b corrected"));
  store().syncFiles();
  EXPECT_EQ(slotFile(2), "b corrected");
  EXPECT_EQ(errorCount(), 0);
}

TEST_F(HeldFiles, ADefinitionFileThatCouldNotBeReadAtStartKeepsItsDefinitions) {
  const std::string ini = "A\r\n" + cp932("定義1") + ",x,y";
  writeSlotFiles({"a", "b"}, ini);
  desktop->otherHoldsFileFor("Kolvex20.ini", 5000);
  start();
  desktop->advance(5000);
  platform->click(store().box(1));  // a keep change
  desktop->advance(600);
  summonAndRelease();
  platform->endSession();
  EXPECT_EQ(file("Kolvex20.ini"), ini);
}

// The settings window reads a definition file that was held at start again, so a definition
// stored there joins the file's others; while the file still cannot be read, storing one says so
// and writes nothing over it.
class HeldDefinitionFile : public HeldFiles, public testing::WithParamInterface<int> {};

TEST_P(HeldDefinitionFile, ADefinitionStoredAfterAnUnreadStartKeepsTheOtherDefinitions) {
  const int heldMs = GetParam();
  const std::string ini = "\r\n" + cp932("定義1") + ",x,y";
  writeSlotFiles({"a"}, ini);
  desktop->otherHoldsFileFor("Kolvex20.ini", heldMs);
  start();
  desktop->advance(2000);
  platform->hotkey();
  desktop->advance(200);
  platform->click(panel().sequenceButton);
  desktop->advance(200);
  sequence::SettingsForm& w = program->settings();
  platform->click(w.defineButton);
  for (int n : {2, 3}) {
    platform::runHandler(*platform, [&] { w.form.setFocus(&w.radioButton(n)); });
    platform->click(w.radioButton(n));
    if (n == 2) w.definitionMemo.userSetText(bytes("p\r\nq"));
  }
  desktop->advance(100);
  if (heldMs > 2000) {
    ASSERT_EQ(errorCount(), 1);
    EXPECT_EQ(desktop->errors()[0].text, cp932("ファイル Kolvex20.ini を読み込むことができません"));
    desktop->advance(heldMs);
    EXPECT_EQ(file("Kolvex20.ini"), ini);
  } else {
    EXPECT_EQ(errorCount(), 0);
    EXPECT_EQ(ui::textLine(file("Kolvex20.ini"), 1), cp932("定義1") + ",x,y");
    EXPECT_EQ(ui::textLine(file("Kolvex20.ini"), 2), cp932("定義2") + ",p,q");
  }
}

INSTANTIATE_TEST_SUITE_P(HeldFor, HeldDefinitionFile, testing::Values(1500, 60000));

TEST_F(HeldFiles, AMissingSlotFileIsNoHistoryToKeep) {
  writeSlotFiles({"a", "b", "c"});
  std::filesystem::remove(dir / "Kolvex2.txt");
  start();
  summonAndRelease();
  EXPECT_EQ(slotFile(2), "\r\n");
}

}  // namespace
