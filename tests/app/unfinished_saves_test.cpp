// A save that a crash or a kill interrupted leaves its temporary file beside the slot file. The
// next start removes exactly those files, before anything is loaded or saved, and loads the last
// whole bytes of every slot; files of other names in the folder are the user's and stay.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

#include "support/sim_fixture.h"

namespace {

namespace fs = std::filesystem;
using testing_support::SimFixture;

class UnfinishedSaves : public SimFixture {
 protected:
  bool exists(const std::string& name) const { return fs::exists(dir / name); }
  void put(const std::string& name, const std::string& bytes) { desktop->putFile(name, bytes); }
};

TEST_F(UnfinishedSaves, LeftoversOfTheProgramsOwnSavesAreRemovedAndNeverLoaded) {
  std::vector<std::string> texts;
  for (int i = 1; i <= 20; ++i)
    texts.push_back("whole text " + std::to_string(i));
  writeSlotFiles(texts, "B");
  const std::vector<std::string> leftovers = {"Kolvex1.txt.tmp",
                                              "Kolvex7.txt.tmp",
                                              "Kolvex10.txt.tmp",
                                              "Kolvex20.txt.tmp",
                                              "Kolvex20.ini.tmp",
                                              "Kolvex14.txt.park.tmp",
                                              "Kolvex3.txt.park.utf8.tmp",
                                              "Kolvex5.txt.park.gone.tmp",
                                              "Kolvex4.0123456789abcdef.utf8.tmp"};
  for (const std::string& name : leftovers)
    put(name, "torn half of a new te");

  start();

  for (const std::string& name : leftovers)
    EXPECT_FALSE(exists(name)) << name;
  for (int i = 1; i <= 20; ++i) {
    EXPECT_EQ(slotText(i), texts[static_cast<std::size_t>(i - 1)]) << i;
    EXPECT_EQ(slotFile(i), texts[static_cast<std::size_t>(i - 1)]) << i;
  }
  EXPECT_TRUE(store().checked(2));
  EXPECT_EQ(errorCount(), 0);
}

// Names that only look like the program's: each one stays with its bytes.
class UsersFiles : public UnfinishedSaves, public ::testing::WithParamInterface<const char*> {};

TEST_P(UsersFiles, StayUntouched) {
  writeSlotFiles({"one", "two"});
  const std::string name = GetParam();
  put(name, "the user's own bytes");
  put("Kolvex2.txt.tmp", "left by a kill");
  start();
  EXPECT_EQ(file(name), "the user's own bytes");
  EXPECT_FALSE(exists("Kolvex2.txt.tmp"));
}

INSTANTIATE_TEST_SUITE_P(Names, UsersFiles,
                         ::testing::Values("notes.tmp", "Kolvex21.txt.tmp", "Kolvex0.txt.tmp",
                                           "Kolvex01.txt.tmp", "Kolvex1.tmp", "Kolvex1.txt.bak",
                                           "Kolvex1.txt.tmp.txt", "Kolvex20.ini.bak",
                                           "xKolvex1.txt.tmp"),
                         [](const auto& info) {
                           std::string name = info.param;
                           for (char& c : name)
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           return name;
                         });

TEST_F(UnfinishedSaves, AFolderOfTheTemporaryNameIsTheUsersAndStays) {
  writeSlotFiles({"one"});
  fs::create_directory(dir / "Kolvex3.txt.tmp");
  put("Kolvex3.txt.tmp/inside.txt", "kept");
  start();
  EXPECT_TRUE(fs::is_directory(dir / "Kolvex3.txt.tmp"));
  EXPECT_EQ(file("Kolvex3.txt.tmp/inside.txt"), "kept");
  EXPECT_EQ(slotText(1), "one");
}

TEST_F(UnfinishedSaves, ALeftoverDoesNotStopAFirstStart) {
  // Killed while the very first text was being saved: no slot file exists yet.
  put("Kolvex1.txt.tmp", "half");
  start();
  EXPECT_FALSE(exists("Kolvex1.txt.tmp"));
  for (int i = 1; i <= 20; ++i)
    EXPECT_EQ(slotFile(i), "") << i;
}

TEST_F(UnfinishedSaves, StaleTemporaryFilesDoNotDisturbTheStartUpShiftOfAFullStore) {
  std::vector<std::string> texts;
  for (int i = 1; i <= 20; ++i)
    texts.push_back("slot " + std::to_string(i));
  writeSlotFiles(texts);
  for (int i = 1; i <= 20; ++i)
    put(files::slotFileName(i) + ".tmp", "stale");
  desktop->otherCopiesText("copied while the program was not running");
  start();
  for (int i = 1; i <= 19; ++i)
    EXPECT_EQ(slotFile(i), texts[static_cast<std::size_t>(i)]) << i;
  EXPECT_EQ(slotFile(20), "copied while the program was not running");
  for (const auto& entry : fs::directory_iterator(dir))
    EXPECT_NE(entry.path().extension(), ".tmp") << entry.path();
}

}  // namespace
