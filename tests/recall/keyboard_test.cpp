#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "support/sim_fixture.h"

namespace {

using testing_support::bytes;
using testing_support::SimFixture;
constexpr int kStrip = sim::SimPlatform::kFrameHeight - 3;
constexpr int kShift = 16;

class Keyboard : public SimFixture {
 protected:
  void SetUp() override {
    writeSlotFiles({"a", "b", "c", "d", "e"}, "\r\n");
    start();
    copy("a");
    other = desktop->createOtherWindow({0, 0, 800, 600});
    desktop->activateOther(other);
    desktop->runPending();
  }
  // The hotkey as the user gives it in another program, with the pointer at `at`.
  void summon(platform::Point at = {640, 300}) {
    desktop->cursor = at;
    platform->hotkey();
    desktop->runPending();  // the application window passes activation on to the panel
  }
  ui::Form& f() { return panel().form; }
  int writesOfAll() {
    int n = desktop->writesOf(files::kDefinitionFile);
    for (int i = 1; i <= 20; ++i)
      n += desktop->writesOf(files::slotFileName(i));
    return n;
  }
  std::string caption(char letter, const std::string& t) {
    return std::string(1, letter) + cp932("：") + t;
  }
  platform::WindowHandle other = 0;
};

TEST_F(Keyboard, HotkeyLettersAndShiftReleaseHandTheClipboardBackToTheUsersWindow) {
  summon({640, 300});
  ASSERT_TRUE(f().active());
  ASSERT_GT(f().outerHeight(), 50);
  platform->keyDown(f(), 'C');
  EXPECT_EQ(clipboard(), "c");
  EXPECT_EQ(f().caption(), caption('C', "c"));
  platform->keyDown(f(), 'E');  // Shift still held: a second recall replaces the first
  EXPECT_EQ(clipboard(), "e");
  EXPECT_EQ(f().caption(), caption('E', "e"));
  store().box(1).setChecked(true);
  desktop->advance(600);
  const int writes = writesOfAll();
  platform->keyUp(f(), kShift);
  EXPECT_EQ(f().outerHeight(), kStrip);
  EXPECT_TRUE(f().topmost());
  EXPECT_EQ(f().focused(), &panel().foldedFocusSink);
  EXPECT_EQ(desktop->foreground(), other);
  EXPECT_FALSE(f().active());
  EXPECT_EQ(desktop->cursor, (platform::Point{640, 300}));
  // The keep state into line 0 and the definition file; the slot files already hold the slots.
  EXPECT_EQ(ui::textLine(file(files::kDefinitionFile), 0), "A");
  EXPECT_EQ(writesOfAll(), writes + 1);
  EXPECT_EQ(slotFile(3), "c");
  EXPECT_EQ(clipboard(), "e");
}

TEST_F(Keyboard, AFileThatCannotBeWrittenStopsTheSaveBeforeThePointerReturns) {
  summon();
  desktop->failWrite(files::kDefinitionFile);
  desktop->cursor = {1, 1};
  platform->keyUp(f(), kShift);
  EXPECT_EQ(errorCount(), 1);
  EXPECT_EQ(desktop->cursor, (platform::Point{1, 1}));
}

TEST_F(Keyboard, NoKeptSlotWritesAnEmptyFirstLine) {
  panel().definitionLines.setText(bytes("B\r\n1"));
  summon();
  platform->keyUp(f(), kShift);
  EXPECT_EQ(file(files::kDefinitionFile), "\r\n1");
}

struct FoldedCase {
  const char* name;
  int height;  // outer height of the panel when the key comes
  friend std::ostream& operator<<(std::ostream& os, const FoldedCase& c) { return os << c.name; }
};

class LettersOnAFoldedPanel : public Keyboard, public ::testing::WithParamInterface<FoldedCase> {};

TEST_P(LettersOnAFoldedPanel, DoNothing) {
  f().setOuterHeight(GetParam().height);
  const text::Text captionBefore = f().caption();
  const int writes = writesOfAll();
  platform->keyDown(f(), 'C');
  platform->keyDown(f(), 'Z');
  platform->keyUp(f(), kShift);
  EXPECT_EQ(clipboard(), "a");
  EXPECT_EQ(f().caption(), captionBefore);
  EXPECT_EQ(writesOfAll(), writes);
  EXPECT_EQ(f().outerHeight(), GetParam().height);
  EXPECT_NE(f().focused(), &panel().foldedFocusSink);
}

INSTANTIATE_TEST_SUITE_P(States, LettersOnAFoldedPanel,
                         ::testing::Values(FoldedCase{"Strip", kStrip}, FoldedCase{"AtFifty", 50}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Keyboard, LetterOfAnEmptySlotAndKeysOutsideTheSlotsDoNothing) {
  summon();
  for (int vk : {int{'F'}, int{'T'}, int{'U'}, int{'Y'}, int{'1'}, 'A' - 1})
    platform->keyDown(f(), vk);
  EXPECT_EQ(clipboard(), "a");
  EXPECT_FALSE(program->settingsForm().visible());  // no key but Z opens the sequence settings
  EXPECT_GT(f().outerHeight(), 50);
}

TEST_F(Keyboard, ZPerformsTheSequenceButtonOnlyWhileItIsEnabled) {
  summon();
  panel().sequenceButton.setEnabled(false);
  platform->keyDown(f(), 'Z');
  EXPECT_FALSE(program->settingsForm().visible());
  panel().sequenceButton.setEnabled(true);
  platform->keyDown(f(), 'Z');
  EXPECT_TRUE(program->settingsForm().visible());
  EXPECT_EQ(f().outerHeight(), kStrip);  // the button's own work: fold, save, then the window
}

TEST_F(Keyboard, ShiftReleaseWithTheSettingsWindowShownKeepsTheProgramInFront) {
  ui::Form& settings = program->settingsForm();
  settings.show();
  summon({10, 20});
  // Activation went back to the settings window, active last: the release reaches it.
  ASSERT_GT(f().outerHeight(), 50);
  platform->keyUp(settings, kShift);
  desktop->runPending();
  EXPECT_EQ(f().outerHeight(), kStrip);
  EXPECT_EQ(desktop->foreground(), platform->handleOf(settings));
  EXPECT_TRUE(settings.active());
  EXPECT_FALSE(f().active());

  summon({10, 20});
  platform->activate(f());  // the user clicked the panel
  platform->keyUp(f(), kShift);
  EXPECT_EQ(desktop->foreground(), platform->applicationWindow());
  EXPECT_EQ(f().outerHeight(), kStrip);
  EXPECT_EQ(f().focused(), &panel().foldedFocusSink);
}

TEST_F(Keyboard, ShiftReleaseWhileThePanelStaysActiveLeavesThePointer) {
  summon({10, 20});
  desktop->refuseForeground = true;  // the system keeps the panel in front
  desktop->cursor = {300, 300};
  platform->keyUp(f(), kShift);
  EXPECT_TRUE(f().active());
  EXPECT_EQ(desktop->cursor, (platform::Point{300, 300}));
  EXPECT_EQ(f().outerHeight(), kStrip);
}

TEST_F(Keyboard, TrayOpenedPanelUsesTheWindowOfTheLastHotkey) {
  summon({10, 20});
  platform->keyUp(f(), kShift);
  const platform::WindowHandle second = desktop->createOtherWindow({0, 0, 50, 50});
  desktop->activateOther(second);
  platform->trayIcon(platform::kWmLButtonDown);
  desktop->runPending();
  ASSERT_GT(f().outerHeight(), 50);
  platform->keyUp(f(), kShift);
  EXPECT_EQ(desktop->foreground(), other);
}

struct ReleaseCase {
  const char* name;
  int vk;
  bool expandFirst;
  friend std::ostream& operator<<(std::ostream& os, const ReleaseCase& c) { return os << c.name; }
};

class ReleaseWithEmptyClipboard : public Keyboard,
                                  public ::testing::WithParamInterface<ReleaseCase> {};

TEST_P(ReleaseWithEmptyClipboard, HidesThePanel) {
  if (GetParam().expandFirst) summon();
  desktop->otherEmptiesClipboard();
  desktop->runPending();
  f().setOuterHeight(GetParam().expandFirst ? 130 : kStrip);
  platform->keyUp(f(), GetParam().vk);
  EXPECT_EQ(f().outerHeight(), 0);
}

INSTANTIATE_TEST_SUITE_P(Keys, ReleaseWithEmptyClipboard,
                         ::testing::Values(ReleaseCase{"ShiftExpanded", kShift, true},
                                           ReleaseCase{"LetterExpanded", 'B', true},
                                           ReleaseCase{"ShiftOnStrip", kShift, false},
                                           ReleaseCase{"CtrlOnStrip", 17, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Keyboard, ReleaseOfAnotherKeyWithTextOnTheClipboardChangesNothing) {
  summon();
  platform->keyUp(f(), 'B');
  EXPECT_GT(f().outerHeight(), 50);
  EXPECT_TRUE(f().active());
}

}  // namespace
