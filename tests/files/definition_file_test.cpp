// The definition file at the saves of everything: written once, before the slot files. One that
// cannot be written ends a save the user sees, and at the session's end stops no slot file.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "support/sim_fixture.h"

namespace {

using testing_support::SimFixture;

enum class Save { ShiftRelease, Close, SessionEnd };

class SaveOfEverything : public SimFixture, public testing::WithParamInterface<Save> {
 protected:
  // Slot A kept while the definition file could not be written, and B's file removed behind the
  // program's back: both differ from the disk when the save starts. Records the writes it tries.
  void setUpBehindTheDisk() {
    writeSlotFiles({"a", "b"});
    start();
    desktop->failWrite(files::kDefinitionFile);
    platform->click(store().box(1));
    desktop->advance(600);
    desktop->failWrite(files::kDefinitionFile, false);
    ASSERT_EQ(file(files::kDefinitionFile), "");
    std::filesystem::remove(dir / files::slotFileName(2));
    errorsBefore = errorCount();
    desktop->onWriteAttempt = [this](const std::string& name) { attempts.push_back(name); };
  }
  void save() {
    switch (GetParam()) {
      case Save::ShiftRelease:
        platform->hotkey();
        desktop->advance(100);
        platform->keyUp(panel().form, 16);
        break;
      case Save::Close:
        platform->chooseMenuItem(panel().trayCloseItem);
        break;
      case Save::SessionEnd:
        platform->endSession();
        break;
    }
  }
  int attemptsOf(const std::string& name) const {
    return static_cast<int>(std::count(attempts.begin(), attempts.end(), name));
  }
  std::vector<std::string> attempts;
  int errorsBefore = 0;
};

TEST_P(SaveOfEverything, WritesTheDefinitionFileOnceAndFirst) {
  setUpBehindTheDisk();
  save();
  EXPECT_EQ(file(files::kDefinitionFile), "A");
  EXPECT_EQ(attemptsOf(files::kDefinitionFile), 1);
  ASSERT_FALSE(attempts.empty());
  EXPECT_EQ(attempts.front(), files::kDefinitionFile);
  EXPECT_EQ(slotFile(2), "b");
  EXPECT_EQ(errorCount(), errorsBefore);
}

TEST_P(SaveOfEverything, ADefinitionFileThatCannotBeWrittenIsTriedOnce) {
  setUpBehindTheDisk();
  desktop->failWrite(files::kDefinitionFile);
  save();
  EXPECT_EQ(attemptsOf(files::kDefinitionFile), 1);
  EXPECT_EQ(file(files::kDefinitionFile), "");
  if (GetParam() == Save::SessionEnd) {
    EXPECT_EQ(slotFile(2), "b");
    EXPECT_EQ(errorCount(), errorsBefore);
  } else {
    EXPECT_FALSE(std::filesystem::exists(dir / files::slotFileName(2)));
    EXPECT_EQ(errorCount(), errorsBefore + 1);
  }
}

std::string saveName(const testing::TestParamInfo<Save>& info) {
  constexpr std::array<const char*, 3> kNames = {"ShiftRelease", "Close", "SessionEnd"};
  return kNames[static_cast<std::size_t>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(Saves, SaveOfEverything,
                         testing::Values(Save::ShiftRelease, Save::Close, Save::SessionEnd),
                         saveName);

}  // namespace
