#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <tuple>

#include "sequence/insertion_support.h"
#include "support/sim_fixture.h"

namespace {

using testing_support::bytes;
using testing_support::SimFixture;
constexpr int kStrip = sim::SimPlatform::kFrameHeight - 3;

class Panel : public SimFixture {
 protected:
  void SetUp() override {
    writeSlotFiles({"a", "b", "c", "d", "e"});
    start();
    copy("a");  // text on the clipboard: the panel shows its strip
    other = desktop->createOtherWindow({0, 0, 800, 600});
    desktop->activateOther(other);
    desktop->runPending();
  }
  ui::Form& f() { return panel().form; }
  platform::WindowHandle other = 0;
};

TEST_F(Panel, HotkeyDropsThePanelAndRemembersWhereTheUserCameFrom) {
  ASSERT_EQ(f().outerHeight(), kStrip);
  desktop->cursor = {640, 300};
  const int renewals = platform->listenRenewals();
  platform->hotkey();
  EXPECT_EQ(f().outerHeight(), 130);
  EXPECT_EQ(program->state().summon.returnWindow, other);
  EXPECT_EQ(program->state().summon.returnCursorPos, (platform::Point{640, 300}));
  EXPECT_EQ(desktop->cursor, platform->clientToScreen(panel().sequenceButton, {0, 0}));
  EXPECT_EQ(f().focused(), &panel().sequenceButton);
  EXPECT_FALSE(f().topmost());
  EXPECT_EQ(platform->listenRenewals(), renewals + 1);
  EXPECT_TRUE(panel().colourTimer.running());
}

TEST_F(Panel, HotkeyWhileExpandedOnlyUpdatesTheClearButton) {
  platform->hotkey();
  desktop->advance(100);
  desktop->otherEmptiesClipboard();
  desktop->runPending();
  f().setOuterHeight(130);
  const auto cursor = desktop->cursor;
  platform->hotkey();
  EXPECT_FALSE(panel().cbClearButton.visible());
  EXPECT_EQ(f().outerHeight(), 130);
  EXPECT_EQ(desktop->cursor, cursor);
}

TEST_F(Panel, HotkeyWhileThePanelIsActiveDoesNotMoveTheCursorOrRejoin) {
  platform->activate(f());
  const int renewals = platform->listenRenewals();
  desktop->cursor = {5, 5};
  platform->hotkey();
  EXPECT_EQ(f().outerHeight(), 130);
  EXPECT_EQ(desktop->cursor, (platform::Point{5, 5}));
  EXPECT_EQ(platform->listenRenewals(), renewals);
}

// Where the user dragged the panel (left, top) -> where the hotkey leaves it. The primary screen
// is 1280 pixels wide from (0, 0); other screens lie above it or to its left.
struct Drag {
  const char* name;
  platform::Point to, after;
};
void PrintTo(const Drag& d, std::ostream* os) {
  *os << d.name;
}
class DraggedPanel : public Panel, public ::testing::WithParamInterface<Drag> {};

TEST_P(DraggedPanel, HotkeyPutsAPanelDraggedUpBackOnThePrimaryScreensTopEdge) {
  const Drag& d = GetParam();
  f().setBounds({d.to.x, d.to.y, f().width(), f().height()});
  platform->hotkey();
  EXPECT_EQ(f().left(), d.after.x);
  EXPECT_EQ(f().top(), d.after.y);
}

INSTANTIATE_TEST_SUITE_P(
    Panel, DraggedPanel,
    ::testing::Values(Drag{"AboveTheTop", {490, -20}, {490, -3}},
                      Drag{"DownTheScreen", {490, 100}, {490, 100}},
                      Drag{"OntoAScreenAboveAndToTheLeft", {-900, -700}, {0, -3}},
                      Drag{"OntoAScreenAboveBeyondTheRightEdge", {1200, -400}, {1280 - 335, -3}},
                      Drag{"OntoTheScreenToTheLeftBelowTheTop", {-900, 100}, {-900, 100}}),
    [](const auto& info) { return std::string(info.param.name); });

// The place at start: right of the middle of the primary screen by 150 layout pixels, scaled.
class StartPlace : public SimFixture,
                   public ::testing::WithParamInterface<std::tuple<int, int, int>> {};

TEST_P(StartPlace, TheOffsetFromTheMiddleScalesWithTheScreen) {
  const auto [dpi, width, left] = GetParam();
  desktop->dpi = dpi;
  desktop->screenWidth = width;
  start();
  EXPECT_EQ(panel().form.left(), left);
  EXPECT_EQ(panel().form.top(), -3);
}

INSTANTIATE_TEST_SUITE_P(Panel, StartPlace,
                         ::testing::Values(std::make_tuple(96, 1280, 640 - 150),
                                           std::make_tuple(120, 1920, 960 - 188),
                                           std::make_tuple(144, 2560, 1280 - 225),
                                           std::make_tuple(192, 3840, 1920 - 300)));

TEST_F(Panel, RefusedForegroundChangeKeepsTheOldReturnWindow) {
  platform->hotkey();
  desktop->runPending();
  platform->keyUp(f(), 16);  // back to the other program
  ASSERT_EQ(desktop->foreground(), other);
  const platform::WindowHandle second = desktop->createOtherWindow({0, 0, 50, 50});
  desktop->activateOther(second);
  desktop->refuseForeground = true;
  platform->hotkey();
  EXPECT_EQ(program->state().summon.returnWindow, other);
}

TEST_F(Panel, TrayLeftClickExpandsOnTopAndRightClickOpensTheMenuAtThePointer) {
  platform->trayIcon(platform::kWmLButtonDown);
  EXPECT_EQ(f().outerHeight(), 130);
  EXPECT_TRUE(f().topmost());
  platform->titleBarPress();  // folded up
  platform->titleBarPress();  // dropped down by the title bar: not on top
  ASSERT_FALSE(f().topmost());
  platform->trayIcon(platform::kWmLButtonDown);
  EXPECT_TRUE(f().topmost());  // the tray click puts it back on top
  store().setText(7, bytes("g"));
  platform->trayIcon(platform::kWmLButtonDown);  // while expanded: recomputed, no fold-up
  EXPECT_EQ(f().outerHeight(), 155);
  desktop->cursor = {900, 700};
  platform->trayIcon(platform::kWmRButtonDown);
  EXPECT_EQ(platform->openMenu(), &panel().trayMenu);
  EXPECT_EQ(platform->openMenuAt(), (platform::Point{900, 700}));
  EXPECT_EQ(f().outerHeight(), 155);
  platform->trayIcon(514);  // a button release does nothing
  EXPECT_EQ(f().outerHeight(), 155);
}

TEST_F(Panel, TitleBarPressFoldsUpOrDropsDown) {
  EXPECT_TRUE(platform->titleBarPress());  // drop down, then the drag
  EXPECT_EQ(f().outerHeight(), 130);
  EXPECT_FALSE(f().topmost());
  EXPECT_FALSE(platform->titleBarPress());  // fold up, no drag
  EXPECT_EQ(f().outerHeight(), kStrip);
  EXPECT_TRUE(f().topmost());
  EXPECT_EQ(f().focused(), &panel().foldedFocusSink);
  EXPECT_TRUE(platform->titleBarPress(3));  // not the caption: only the default handling
  EXPECT_EQ(f().outerHeight(), kStrip);
}

TEST_F(Panel, TitleBarFoldUpWithAnEmptyClipboardHidesThePanel) {
  platform->titleBarPress();
  desktop->otherEmptiesClipboard();
  desktop->runPending();
  f().setOuterHeight(130);
  platform->titleBarPress();
  EXPECT_EQ(f().outerHeight(), 0);
}

TEST_F(Panel, DoubleClickOnTheTitleBarEndsAtZeroHeight) {
  platform->titleBarPress();
  platform->titleBarDoubleClick();
  EXPECT_EQ(f().outerHeight(), 0);
}

TEST_F(Panel, LosingActivationFoldsTheExpandedPanelAndDropsTheSelection) {
  platform->trayIcon(platform::kWmLButtonDown);
  desktop->runPending();
  ASSERT_TRUE(f().active());
  platform->rightPress(store().memo(2));
  desktop->activateOther(other);
  EXPECT_EQ(f().outerHeight(), kStrip);
  EXPECT_TRUE(f().topmost());
  EXPECT_EQ(program->state().marks.slotSelection[2], 0);
}

TEST_F(Panel, LosingActivationWithTheSettingsWindowOpenLeavesThePanel) {
  program->settingsForm().show();
  platform->trayIcon(platform::kWmLButtonDown);
  desktop->runPending();
  desktop->activateOther(other);
  EXPECT_EQ(f().outerHeight(), 130);
}

TEST_F(Panel, LosingActivationWithAnEmptyClipboardHidesThePanel) {
  platform->trayIcon(platform::kWmLButtonDown);
  desktop->runPending();
  desktop->otherEmptiesClipboard();
  desktop->runPending();
  f().setOuterHeight(130);
  desktop->activateOther(other);
  EXPECT_EQ(f().outerHeight(), 0);
}

TEST_F(Panel, SuspendQueryStopsTheGuardTimerAndResumeRejoins) {
  platform->click(store().box(2));
  ASSERT_TRUE(panel().keepGuardTimer.running());
  platform->power(0);
  desktop->advance(1000);
  EXPECT_FALSE(panel().keepGuardTimer.running());
  EXPECT_EQ(program->state().marks.keepGuard[5], 1);  // guards stay until the timer runs again
  const int renewals = platform->listenRenewals();
  for (int event : {4, 5, 9, 10})
    platform->power(event);
  EXPECT_EQ(platform->listenRenewals(), renewals);
  for (int event : {6, 7, 8})
    platform->power(event);
  EXPECT_EQ(platform->listenRenewals(), renewals + 3);
}

// Every summoning path marks a held Ctrl as part of a chord, so releasing it back over the field
// of a run arms nothing; a lone tap there still arms.
struct Summoning {
  const char* name;
  std::function<void(sim::SimPlatform&)> summon;
  friend std::ostream& operator<<(std::ostream& os, const Summoning& s) { return os << s.name; }
};

class ChordFlag : public testing_support::InsertionFixture,
                  public ::testing::WithParamInterface<Summoning> {
 protected:
  // The user comes back to the field with Ctrl still down or not.
  void backToTheField() {
    desktop->activateOther(other);
    desktop->userMoveMouse(kInField);
  }
};

TEST_P(ChordFlag, CtrlHeldWhileSummoningIsAChordAndArmsNothing) {
  startRun();
  desktop->userMoveMouse(kInField);
  ASSERT_FALSE(flags().insertArmed);
  desktop->userKey(kCtrl, false);
  GetParam().summon(*platform);
  desktop->runPending();
  backToTheField();
  desktop->userKey(kCtrl, true);
  EXPECT_FALSE(flags().insertArmed);
  // Nothing of the chord is left over: the next lone tap arms.
  desktop->userTap(kCtrl);
  EXPECT_TRUE(flags().insertArmed);
}

TEST_P(ChordFlag, SummoningWithoutCtrlLeavesALaterTapToArm) {
  startRun();
  GetParam().summon(*platform);
  desktop->runPending();
  backToTheField();
  desktop->userTap(kCtrl);
  EXPECT_TRUE(flags().insertArmed);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ChordFlag,
    ::testing::Values(Summoning{"Hotkey", [](sim::SimPlatform& p) { p.hotkey(); }},
                      Summoning{"TrayIcon",
                                [](sim::SimPlatform& p) { p.trayIcon(platform::kWmLButtonDown); }},
                      Summoning{"TitleBar", [](sim::SimPlatform& p) { p.titleBarPress(); }}),
    [](const auto& info) { return std::string(info.param.name); });

// The panel comes back by itself while the user works in another program: on a copy, and with a
// run's value after the clipboard was emptied. That program keeps the keyboard.
class QuietPanel : public testing_support::InsertionFixture {
 protected:
  void toZeroHeight() {
    desktop->otherEmptiesClipboard();
    desktop->advance(100);
    ASSERT_EQ(panel().form.outerHeight(), 0);
  }
  void expectKeyboardWithTheUser(const char* after) {
    EXPECT_GT(panel().form.outerHeight(), 0) << after;
    EXPECT_EQ(desktop->foreground(), other) << after;
    EXPECT_FALSE(panel().form.active()) << after;
  }
};

TEST_F(QuietPanel, ComingBackByItselfLeavesTheKeyboardWithTheUser) {
  toZeroHeight();
  copy("copied");
  expectKeyboardWithTheUser("a copy");

  startRun();
  toZeroHeight();
  check(w().anyCursorBox);  // any pointer
  arm();
  clickAndWait();
  EXPECT_EQ(field->text, "No.1)");
  expectKeyboardWithTheUser("a run's value");
}

class SummonedPanel : public QuietPanel, public ::testing::WithParamInterface<Summoning> {};

TEST_P(SummonedPanel, ASummonsTakesTheKeyboardAfterAQuietComeback) {
  toZeroHeight();
  copy("copied");
  ASSERT_FALSE(panel().form.active());
  GetParam().summon(*platform);
  desktop->runPending();
  EXPECT_TRUE(panel().form.active());
  EXPECT_EQ(desktop->foreground(), platform->handleOf(panel().form));
}

INSTANTIATE_TEST_SUITE_P(
    Paths, SummonedPanel,
    ::testing::Values(Summoning{"Hotkey", [](sim::SimPlatform& p) { p.hotkey(); }},
                      Summoning{"TrayIcon",
                                [](sim::SimPlatform& p) { p.trayIcon(platform::kWmLButtonDown); }},
                      Summoning{"TitleBar", [](sim::SimPlatform& p) { p.titleBarPress(); }}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace

namespace {

class PanelDuringARun : public Panel {};

TEST_F(PanelDuringARun, HotkeyRetargetsTheInsertionUnlessFieldsAreReplaced) {
  program->hintForm().show();
  platform->hotkey();
  EXPECT_EQ(program->state().insertion.insertTargetWindow, other);

  program->state().insertion.insertTargetWindow = 0;
  program->settings().replaceBox.setChecked(true);
  platform->titleBarPress();  // fold up
  desktop->activateOther(other);
  platform->hotkey();
  EXPECT_EQ(program->state().insertion.insertTargetWindow, 0u);
}

class PanelWithARun : public testing_support::InsertionFixture {};

TEST_F(PanelWithARun, TrayLeftClickRenewsTheInputHookOfARun) {
  platform->trayIcon(platform::kWmLButtonDown);
  EXPECT_EQ(platform->hookInstalls(), 0);  // no run: no hook to renew
  platform->titleBarPress();
  startRun();
  const int installs = platform->hookInstalls();
  ASSERT_TRUE(platform->inputHookInstalled());
  platform->trayIcon(platform::kWmLButtonDown);
  EXPECT_EQ(platform->hookInstalls(), installs + 1);
  platform->trayIcon(platform::kWmRButtonDown);
  EXPECT_EQ(platform->hookInstalls(), installs + 1);
  EXPECT_TRUE(platform->inputHookInstalled());
}

}  // namespace
