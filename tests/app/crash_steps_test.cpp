// Every change of the slots reaches the files before the next event, and a kill after any single
// step of that save leaves each slot, as the next start reads it (its file and the exact form
// beside it, once the start has finished the save's renames), with its old or its new text,
// never another slot's and never none; no text that stays in the history is lost, and a text
// parked in the middle of a move comes back at the next start. Each change once on a volume
// that links files and once on one that does not (FAT32), where every moved file is renamed.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "history/file_sync.h"
#include "support/sim_fixture.h"

namespace {

using testing_support::SimFixture;

class CrashSteps;

struct StepCase {
  std::string name;
  std::function<void(CrashSteps&)> setup;
  std::function<void(CrashSteps&)> act;
  bool links = true;
};

void PrintTo(const StepCase& c, std::ostream* os) {
  *os << c.name;
}

class CrashSteps : public SimFixture, public ::testing::WithParamInterface<StepCase> {
 public:
  using SimFixture::desktop;
  using SimFixture::panel;
  using SimFixture::platform;
  using SimFixture::program;
  using SimFixture::start;
  using SimFixture::store;

  // Every third text is one the code page cannot say.
  void startWithTexts(int n, int keptUpTo = 0) {
    start();
    for (int i = 1; i <= n; ++i) {
      desktop->otherCopiesUnicode(i % 3 == 0 ? "slot " + std::to_string(i) + " é😀"
                                             : "slot " + std::to_string(i));
      desktop->advance(100);
    }
    // Kept one by one, each after the last one's guard window, so each carries its keep letter.
    for (int i = 1; i <= keptUpTo; ++i) {
      platform->click(store().box(i));
      desktop->advance(600);
    }
    platform->trayIcon(platform::kWmLButtonDown);
    desktop->advance(100);
  }
  void deleteSlot(int i) {
    platform->rightPress(store().memo(i));
    desktop->confirmAnswers.push_back(true);
    platform->chooseMenuItem(panel().deleteItem);
  }
  // What a start now would show in each slot (A..T), and the texts parked beside them.
  std::vector<text::Text> onDisk(std::vector<text::Text>* parked = nullptr) {
    return nextStart(*platform, parked);
  }
  // The same for a copy of the folder as a kill left it, read by a start on it.
  std::vector<text::Text> afterKill(const std::filesystem::path& folder,
                                    std::vector<text::Text>* parked) {
    sim::SimDesktop killed(folder);
    killed.syncWrites = false;
    killed.hardLinks = desktop->hardLinks;
    sim::SimPlatform started(killed);
    history::SlotFileSync(started).finishUnfinishedSave();
    return nextStart(started, parked);
  }
  static std::vector<text::Text> nextStart(platform::Platform& p, std::vector<text::Text>* parked) {
    history::SlotFileSync reader(p);
    std::vector<text::Text> out;
    for (int i = 1; i <= files::kSlotCount; ++i)
      out.push_back(reader.load(i).text);
    if (parked) *parked = reader.parkedTexts();
    return out;
  }
  std::vector<text::Text> slots() {
    std::vector<text::Text> out;
    for (int i = 1; i <= files::kSlotCount; ++i)
      out.push_back(store().text(i));
    return out;
  }
};

std::string key(const text::Text& t) {
  return t.bytes() + '\0' + t.exact();
}

TEST_P(CrashSteps, EveryStepLeavesEachSlotItsOldOrNewTextAndLosesNone) {
  namespace fs = std::filesystem;
  desktop->hardLinks = GetParam().links;
  GetParam().setup(*this);
  const std::vector<text::Text> before = onDisk();
  ASSERT_EQ(before, slots()) << "the files hold what the panel shows before the change";
  // The folder as a kill after each step leaves it.
  std::vector<fs::path> killedAt;
  desktop->afterFileStep = [&] {
    killedAt.emplace_back(dir.string() + "-step" + std::to_string(killedAt.size()));
    fs::copy(dir, killedAt.back(), fs::copy_options::recursive);
  };
  GetParam().act(*this);
  desktop->afterFileStep = nullptr;
  std::vector<std::vector<text::Text>> states;
  std::vector<std::vector<text::Text>> parkedAt;
  for (const fs::path& folder : killedAt) {
    std::vector<text::Text> parked;
    states.push_back(afterKill(folder, &parked));
    parkedAt.push_back(parked);
    fs::remove_all(folder);
  }
  const std::vector<text::Text> after = slots();
  EXPECT_EQ(onDisk(), after) << "the files hold what the panel shows after the change";
  ASSERT_FALSE(states.empty());
  // The texts in the history both before and after the change.
  std::set<std::string> staying, was;
  for (const text::Text& t : before)
    if (!t.empty()) was.insert(key(t));
  for (const text::Text& t : after)
    if (!t.empty() && was.count(key(t))) staying.insert(key(t));
  for (std::size_t s = 0; s < states.size(); ++s) {
    std::set<std::string> found;
    for (std::size_t i = 0; i < states[s].size(); ++i) {
      const text::Text& t = states[s][i];
      EXPECT_TRUE(t == before[i] || t == after[i]) << "step " << s << " slot " << i + 1;
      found.insert(key(t));
    }
    for (const text::Text& t : parkedAt[s])
      found.insert(key(t));
    for (const std::string& t : staying)
      EXPECT_TRUE(found.count(t)) << "step " << s << " lost " << t.substr(0, 10);
  }
}

std::vector<StepCase> withAndWithoutLinks(std::vector<StepCase> cases) {
  const std::size_t n = cases.size();
  for (std::size_t c = 0; c < n; ++c) {
    StepCase fat = cases[c];
    fat.name += "NoLinks";
    fat.links = false;
    cases.push_back(fat);
  }
  return cases;
}

INSTANTIATE_TEST_SUITE_P(
    EveryChange, CrashSteps,
    ::testing::ValuesIn(withAndWithoutLinks(
        {StepCase{"CaptureShiftsAFullStore", [](CrashSteps& f) { f.startWithTexts(20, 2); },
                  [](CrashSteps& f) {
                    f.desktop->otherCopiesUnicode("newest ✓");
                    f.desktop->advance(100);
                  }},
         StepCase{"DeleteMovesTheLaterSlotsUp", [](CrashSteps& f) { f.startWithTexts(8); },
                  [](CrashSteps& f) { f.deleteSlot(2); }},
         StepCase{"KeepMovesATextUpAndOthersDown", [](CrashSteps& f) { f.startWithTexts(8, 1); },
                  [](CrashSteps& f) { f.platform->click(f.store().box(6)); }},
         StepCase{"ReleaseDeletesAndMovesUp", [](CrashSteps& f) { f.startWithTexts(8, 4); },
                  [](CrashSteps& f) { f.platform->click(f.store().box(2)); }},
         StepCase{"AllClear", [](CrashSteps& f) { f.startWithTexts(6); },
                  [](CrashSteps& f) {
                    f.desktop->confirmAnswers.push_back(true);
                    f.platform->mouseUp(f.panel().allClearButton, ui::MouseButton::Left);
                  }},
         StepCase{"EditorWritesBack", [](CrashSteps& f) { f.startWithTexts(6); },
                  [](CrashSteps& f) {
                    f.platform->rightPress(f.store().memo(3));
                    f.platform->chooseMenuItem(f.panel().editItem);
                    ui::Memo& memo = f.program->settings().slotEditorMemo;
                    platform::runHandler(
                        *f.platform, [&] { memo.userSetText(f.platform->fromUtf8("edited ✎")); });
                    f.desktop->confirmAnswers.push_back(true);
                    f.platform->click(f.program->settings().editorCloseButton);
                  }}})),
    [](const auto& info) { return info.param.name; });

// A kill while a keep moves its text up may leave a text parked, and the text moved before it in
// two slots; the next start takes the parked text back. In a full history it takes the place of
// the second copy: no text drops out for it.
class ParkedByAKill : public SimFixture, public ::testing::WithParamInterface<int> {};

TEST_P(ParkedByAKill, ComesBackAtTheNextStartAndLosesNoText) {
  namespace fs = std::filesystem;
  std::vector<std::string> before(static_cast<std::size_t>(GetParam()));
  for (std::size_t i = 0; i < before.size(); ++i)
    before[i] = std::string(1, static_cast<char>('a' + i));
  writeSlotFiles(before);
  start();
  desktop->advance(600);
  const fs::path killedAt = dir.string() + "-killed";
  int steps = 0;
  desktop->afterFileStep = [&] {
    // C parked, then B's text linked into C: "c" is in the park alone.
    if (++steps == 4) fs::copy(dir, killedAt, fs::copy_options::recursive);
  };
  platform->click(store().box(3));
  desktop->afterFileStep = nullptr;
  ASSERT_TRUE(fs::exists(killedAt / "Kolvex3.txt.park"));
  // The disk as the kill left it.
  fs::remove_all(dir);
  fs::rename(killedAt, dir);
  EXPECT_EQ(*desktop->fileBytes("Kolvex3.txt"), "b");
  killAndRestart();
  std::vector<std::string> expected = before;
  if (GetParam() < 20) {
    expected[2] = "b";
    expected.emplace_back("c");
  }
  expected.resize(20);
  EXPECT_EQ(texts(), expected);
  for (int i = 1; i <= 20; ++i)
    EXPECT_EQ(slotFile(i), expected[static_cast<std::size_t>(i - 1)]);
  EXPECT_FALSE(desktop->fileBytes("Kolvex3.txt.park").has_value());
}

INSTANTIATE_TEST_SUITE_P(History, ParkedByAKill, ::testing::Values(4, 20),
                         [](const auto& info) { return "Of" + std::to_string(info.param); });

// Without links a keep renames slot A's file away for a moment: a kill then is no first start.
// The start finishes the save's renames before it reads anything and shows the keep done.
TEST_F(SimFixture, AKillWhileSlotAsFileIsRenamedAwayIsNoFirstStart) {
  namespace fs = std::filesystem;
  desktop->hardLinks = false;
  writeSlotFiles({"a", "b", "c", "d"});
  start();
  desktop->advance(600);
  const fs::path killedAt = dir.string() + "-killed";
  desktop->afterFileStep = [&] {
    if (!fs::exists(killedAt) && !fs::exists(dir / "Kolvex1.txt"))
      fs::copy(dir, killedAt, fs::copy_options::recursive);
  };
  platform->click(store().box(3));
  desktop->afterFileStep = nullptr;
  ASSERT_TRUE(fs::exists(killedAt));
  fs::remove_all(dir);
  fs::rename(killedAt, dir);
  killAndRestart();
  EXPECT_EQ(texts(), (std::vector<std::string>{"c", "a", "b", "d", "", "", "", "", "", "",
                                               "",  "",  "",  "",  "", "", "", "", "", ""}));
  for (int i = 1; i <= 4; ++i)
    EXPECT_EQ(slotFile(i), texts()[static_cast<std::size_t>(i - 1)]);
  for (const std::string& left : platform->listFiles("Kolvex"))
    EXPECT_TRUE(left.ends_with(".txt") || left.ends_with(".ini")) << left;
}

}  // namespace
