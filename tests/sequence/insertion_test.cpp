// Sequence insertion on the simulated desktop, driven the way the user drives it: "連番入力" on
// the panel, the settings window, "スタート", Ctrl taps and clicks into another program's field.
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "sequence/insertion_support.h"

namespace {

using testing_support::InsertionFixture;
using Values = std::vector<std::string>;

class Insertion : public InsertionFixture {};

// --- whole runs ---

TEST_F(Insertion, ARunOneToThreePastesEachValueOnceAndThenEnds) {
  startRun();
  EXPECT_TRUE(hint().isOpen());
  EXPECT_FALSE(w().form.visible());
  EXPECT_EQ(sequenceCaption(), cp932("連番中止"));
  EXPECT_EQ(desktop->foreground(), other);
  EXPECT_EQ(desktop->cursor, kInField);  // back where it was when the panel was summoned
  EXPECT_TRUE(platform->inputHookInstalled());

  for (int n = 1; n <= 3; ++n) {
    arm();
    EXPECT_TRUE(flags().insertArmed) << n;
    EXPECT_EQ(hint().hintLabel.caption(), " No." + std::to_string(n) + ") ");
    clickAndWait();
  }
  EXPECT_EQ(field->pastes, (Values{"No.1)", "No.2)", "No.3)"}));
  EXPECT_EQ(field->text, "No.1)No.2)No.3)");
  EXPECT_EQ(desktop->clipboardBytes(), "No.3)");
  EXPECT_EQ(flags().lastInsertedText, "No.3)");
  // A value pasted at once stays out of Windows' clipboard history and cloud clipboard.
  using sim::SimDesktop;
  EXPECT_EQ(desktop->clipboardFormats(),
            (std::vector<SimDesktop::ClipFormat>{
                SimDesktop::dwordFormat(platform::kHistoryPermissionFormat, 0),
                SimDesktop::dwordFormat(platform::kCloudPermissionFormat, 0)}));
  // The run is over.
  EXPECT_FALSE(hint().isOpen());
  EXPECT_EQ(sequenceCaption(), cp932("連番入力"));
  EXPECT_FALSE(platform->inputHookInstalled());
  EXPECT_FALSE(w().hookRenewalTimer.running());
  EXPECT_TRUE(panel().deleteItem.enabled());
  EXPECT_TRUE(panel().editItem.enabled());
  EXPECT_FALSE(flags().insertArmed);
  // The inserted values never entered the history.
  EXPECT_EQ(texts(), (Values{"slot A", "", "", "", "", "", "", "", "", "",
                             "",       "", "", "", "", "", "", "", "", ""}));
  // Nothing more is handled afterwards.
  arm();
  clickAndWait();
  EXPECT_EQ(field->pastes.size(), 3u);
}

// The run leaves its last value on the clipboard, in no slot. Summoning the panel afterwards
// empties the clipboard in the colour pass; the panel stays down all the same, and the next
// run started from it is stopped with "連番中止".
TEST_F(Insertion, AfterARunTheTrayClickDropsThePanelForTheNextRun) {
  startRun("1");
  arm();
  clickAndWait();
  ASSERT_FALSE(hint().isOpen());
  ASSERT_EQ(desktop->clipboardBytes(), "No.1)");

  platform->trayIcon(platform::kWmLButtonDown);
  desktop->advance(200);
  EXPECT_EQ(panel().form.outerHeight(), 80);  // slot A's row
  EXPECT_EQ(desktop->clipboardBytes(), "");
  EXPECT_EQ(panel().form.caption(), "");
  EXPECT_FALSE(panel().cbClearButton.visible());

  platform->click(panel().sequenceButton);  // 連番入力
  desktop->advance(200);
  ASSERT_TRUE(w().form.visible());
  pressStart();
  ASSERT_TRUE(hint().isOpen());
  ASSERT_EQ(sequenceCaption(), cp932("連番中止"));
  platform->trayIcon(platform::kWmLButtonDown);
  desktop->advance(200);
  EXPECT_EQ(panel().form.outerHeight(), 80);
  platform->click(panel().sequenceButton);  // 連番中止
  desktop->advance(200);
  EXPECT_FALSE(hint().isOpen());
  EXPECT_FALSE(platform->inputHookInstalled());
  EXPECT_EQ(sequenceCaption(), cp932("連番入力"));
  EXPECT_EQ(field->pastes, Values{"No.1)"});
}

TEST_F(Insertion, ThePasteIsCtrlVWithItsPausesAfterTheClick) {
  startRun();
  arm();
  desktop->sentKeys.clear();
  desktop->userClickAt(kInField);
  EXPECT_EQ(desktop->clipboardBytes(), "No.1)");
  EXPECT_TRUE(field->pastes.empty());
  desktop->advance(99);
  EXPECT_TRUE(desktop->sentKeys.empty());  // 100 ms after the click
  desktop->advance(600);
  ASSERT_EQ(desktop->sentKeys.size(), 4u);
  const std::vector<std::pair<int, bool>> expected{
      {17, false}, {86, false}, {86, true}, {17, true}};
  const std::vector<std::int64_t> at{0, 100, 250, 350};
  for (std::size_t k = 0; k < 4; ++k) {
    EXPECT_EQ(desktop->sentKeys[k].vk, expected[k].first) << k;
    EXPECT_EQ(desktop->sentKeys[k].up, expected[k].second) << k;
    EXPECT_EQ(desktop->sentKeys[k].at - desktop->sentKeys[0].at, at[k]) << k;
  }
  EXPECT_EQ(field->pastes, Values{"No.1)"});
  // The paste's own Ctrl chord disarmed.
  EXPECT_FALSE(flags().insertArmed);
}

TEST_F(Insertion, ContinuousInsertionStaysArmedThroughThePastes) {
  openSettings();
  fillStandard("4");
  check(w().continuousBox);
  pressStart();
  arm();
  for (int n = 0; n < 3; ++n)
    clickAndWait();
  EXPECT_EQ(field->pastes, (Values{"No.1)", "No.2)", "No.3)"}));
  EXPECT_TRUE(flags().insertArmed);
  // A lone tap disarms.
  desktop->userTap(kCtrl);
  EXPECT_FALSE(flags().insertArmed);
  clickAndWait();
  EXPECT_EQ(field->pastes.size(), 3u);
}

TEST_F(Insertion, ARepeatedRunStartsOverAndMustBeArmedAgain) {
  openSettings();
  fillStandard("2");
  check(w().repeatBox);
  check(w().continuousBox);
  pressStart();
  arm();
  clickAndWait();
  clickAndWait();
  // After its last value the run starts over, still running, but disarmed.
  EXPECT_TRUE(hint().isOpen());
  EXPECT_EQ(sequenceCaption(), cp932("連番中止"));
  EXPECT_TRUE(platform->inputHookInstalled());
  EXPECT_FALSE(flags().insertArmed);
  clickAndWait();
  EXPECT_EQ(field->pastes, (Values{"No.1)", "No.2)"}));
  arm();
  clickAndWait();
  clickAndWait();
  clickAndWait();  // disarmed by the second restart
  EXPECT_EQ(field->pastes, (Values{"No.1)", "No.2)", "No.1)", "No.2)"}));
  EXPECT_EQ(desktop->boxes.size(), 0u);
}

TEST_F(Insertion, AStoppedRepeatedRunHandlesNoInputAtAll) {
  openSettings();
  fillStandard("1");
  check(w().repeatBox);
  pressStart();
  arm();
  clickAndWait();  // the last value: the run restarts
  ASSERT_TRUE(hint().isOpen());
  platform->hotkey();
  desktop->runPending();
  platform->click(panel().sequenceButton);  // 連番中止
  desktop->runPending();
  EXPECT_FALSE(hint().isOpen());
  EXPECT_FALSE(hint().hintLabel.visible());
  EXPECT_FALSE(platform->inputHookInstalled());
  EXPECT_FALSE(w().hookRenewalTimer.running());
  EXPECT_EQ(sequenceCaption(), cp932("連番入力"));
  EXPECT_TRUE(panel().deleteItem.enabled());

  desktop->activateOther(other);
  const text::Text caption = hint().hintLabel.caption();
  const platform::Rect hintAt{hint().form.left(), hint().form.top(), 0, 0};
  arm({310, 170});
  clickAndWait({310, 170});
  EXPECT_FALSE(flags().insertArmed);
  EXPECT_EQ(field->pastes, Values{"No.1)"});
  EXPECT_EQ(hint().hintLabel.caption(), caption);
  EXPECT_EQ(hint().form.left(), hintAt.left);  // not even moved
  // The hook renewal does not bring it back either.
  desktop->advance(3000);
  platform->trayIcon(platform::kWmLButtonDown);
  EXPECT_FALSE(platform->inputHookInstalled());
}

TEST_F(Insertion, AfterAStopTheNextStartBeginsAtTheFirstValue) {
  startRun();
  arm();
  clickAndWait();
  platform->hotkey();
  desktop->advance(200);
  platform->click(panel().sequenceButton);  // 連番中止
  desktop->advance(200);
  desktop->activateOther(other);
  EXPECT_EQ(field->pastes, Values{"No.1)"});
  EXPECT_FALSE(platform->inputHookInstalled());
  EXPECT_EQ(sequenceCaption(), cp932("連番入力"));
  // "スタート" again begins a new run at its first value.
  startRun();
  arm();
  clickAndWait();
  EXPECT_EQ(field->pastes, (Values{"No.1)", "No.1)"}));
}

class DefinitionInsertion : public InsertionFixture {
  void SetUp() override { prepare("\r\n" + cp932("定義") + "1,Mon,Tue,Wed,Thu,Fri"); }
};

TEST_F(DefinitionInsertion, ARunGoesFromTheChosenStartItemToItsEndValue) {
  openSettings();
  handle([&] { w().kindCombo.userSelect(1); });
  ASSERT_EQ(w().startCombo.items(), (Values{"Mon", "Tue", "Wed", "Thu", "Fri"}));
  handle([&] { w().startCombo.userSelect(1); });  // Tue
  type(w().endEdit, "Thu");
  type(w().suffixEdit, ",");
  check(w().continuousBox);
  pressStart();
  arm();
  for (int n = 0; n < 3; ++n)
    clickAndWait();
  EXPECT_EQ(field->pastes, (Values{"Tue,", "Wed,", "Thu,"}));
  EXPECT_FALSE(hint().isOpen());
}

// --- what arms and disarms ---

TEST_F(Insertion, CtrlCWhileArmedIsRecordedAndDisarms) {
  field->text = "copy me";
  startRun();
  arm();
  ASSERT_TRUE(flags().insertArmed);
  field->anchor = 0;  // the user selected the field's text
  field->caret = 7;
  desktop->userChord(kCtrl, 'C');
  desktop->advance(platform::kClipboardSettleMs);
  EXPECT_EQ(slotText(2), "copy me");
  EXPECT_FALSE(flags().insertArmed);
  clickAndWait();
  EXPECT_TRUE(field->pastes.empty());
}

TEST_F(Insertion, ACtrlChordOrATapWhileThePanelIsActiveDoesNotArm) {
  startRun();
  desktop->userMoveMouse(kInField);
  desktop->userChord(kCtrl, 'S');
  EXPECT_FALSE(flags().insertArmed);
  platform->activate(panel().form);
  desktop->userTap(kCtrl);
  EXPECT_FALSE(flags().insertArmed);
  desktop->activateOther(other);
  desktop->userTap(kCtrl);
  EXPECT_TRUE(flags().insertArmed);
}

TEST_F(Insertion, ATapBeforeTheHintWasShownArmsNothing) {
  startRun();
  const platform::WindowHandle w2 = desktop->createOtherWindow({800, 100, 1200, 400});
  desktop->createTextField(w2, {810, 150, 1100, 180});
  desktop->activateOther(w2);
  arm({900, 165});  // an I-beam, but not in the window the run goes to
  EXPECT_FALSE(hint().hintShown());
  EXPECT_FALSE(flags().insertArmed);
}

// Summoning the panel while Ctrl is held makes the Ctrl release a chord, whichever way it is
// summoned.
struct SummonCase {
  const char* name;
  void (*summon)(sim::SimPlatform&);
};

void PrintTo(const SummonCase& c, std::ostream* os) {
  *os << c.name;
}

class SummonWhileCtrlHeld : public Insertion, public ::testing::WithParamInterface<SummonCase> {};

TEST_P(SummonWhileCtrlHeld, TheReleaseDoesNotArm) {
  startRun();
  desktop->userMoveMouse(kInField);
  desktop->userKey(kCtrl, false);
  GetParam().summon(*platform);
  desktop->activateOther(other);
  // Back over the field before letting go, so only the chord keeps the release from arming
  // (the hotkey put the pointer on the panel).
  desktop->userMoveMouse(kInField);
  desktop->userKey(kCtrl, true);
  EXPECT_FALSE(flags().insertArmed);
  desktop->userTap(kCtrl);  // a lone tap afterwards still arms
  EXPECT_TRUE(flags().insertArmed);
}

INSTANTIATE_TEST_SUITE_P(
    Insertion, SummonWhileCtrlHeld,
    ::testing::Values(SummonCase{"Hotkey", [](sim::SimPlatform& p) { p.hotkey(); }},
                      SummonCase{"TrayClick",
                                 [](sim::SimPlatform& p) { p.trayIcon(platform::kWmLButtonDown); }},
                      SummonCase{"TitleBarPress", [](sim::SimPlatform& p) { p.titleBarPress(); }}),
    [](const auto& info) { return std::string(info.param.name); });

// Clicks that must insert nothing, the armed state staying as it was.
struct NoInsertCase {
  const char* name;
  std::function<void(InsertionFixture&, sim::SimDesktop&, platform::WindowHandle)> click;
};

void PrintTo(const NoInsertCase& c, std::ostream* os) {
  *os << c.name;
}

class ClickInsertsNothing : public Insertion, public ::testing::WithParamInterface<NoInsertCase> {
 public:
  void clickThere() { GetParam().click(*this, *desktop, other); }
  using InsertionFixture::clickAndWait;
};

TEST_P(ClickInsertsNothing, AndTheArmedStateStays) {
  startRun();
  arm();
  ASSERT_TRUE(flags().insertArmed);
  clickThere();
  desktop->advance(600);
  EXPECT_TRUE(field->pastes.empty());
  EXPECT_TRUE(flags().insertArmed);
  EXPECT_EQ(desktop->clipboardBytes(), "");
  EXPECT_EQ(hint().hintLabel.caption(), " No.1) ");
}

INSTANTIATE_TEST_SUITE_P(
    Insertion, ClickInsertsNothing,
    ::testing::Values(
        NoInsertCase{"OverAnotherProgramsField",
                     [](InsertionFixture&, sim::SimDesktop& d, platform::WindowHandle) {
                       const platform::WindowHandle w2 = d.createOtherWindow({800, 100, 1200, 400});
                       d.createTextField(w2, {810, 150, 1100, 180});
                       d.userClickAt({900, 165});
                     }},
        // Inside the target's rectangle, but another program's window is in front of it.
        NoInsertCase{"OverAWindowInFrontOfTheTarget",
                     [](InsertionFixture&, sim::SimDesktop& d, platform::WindowHandle) {
                       const platform::WindowHandle w2 = d.createOtherWindow({250, 120, 650, 400});
                       d.createTextField(w2, {260, 150, 640, 180});
                       d.userClickAt({300, 165});
                     }},
        NoInsertCase{"OverTheTargetButNotTheIBeam",
                     [](InsertionFixture&, sim::SimDesktop& d, platform::WindowHandle) {
                       d.userClickAt({300, 300});
                     }},
        NoInsertCase{"OnTheTargetWindowsLeftEdge",
                     [](InsertionFixture&, sim::SimDesktop& d, platform::WindowHandle) {
                       d.userClickAt({100, 165});
                     }},
        NoInsertCase{"WhileCtrlIsHeld",
                     [](InsertionFixture&, sim::SimDesktop& d, platform::WindowHandle) {
                       d.userKey(17, false);
                       d.userClickAt({300, 165});
                       d.userKey(17, true);
                       // A click is no chord: that release was a lone tap and disarmed.
                       d.userTap(17);
                     }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Insertion, AClickDuringTheCooldownInsertsNothing) {
  openSettings();
  fillStandard();
  check(w().continuousBox);
  pressStart();
  arm();
  desktop->userClickAt(kInField);
  desktop->advance(460);  // the paste is done, the cool-down is not
  desktop->userClickAt(kInField);
  desktop->advance(600);
  EXPECT_EQ(field->pastes, Values{"No.1)"});
  // The next value was not used up by the refused click.
  clickAndWait();
  EXPECT_EQ(field->pastes, (Values{"No.1)", "No.2)"}));
}

TEST_F(Insertion, AnyCursorAndAnyWindowWidenWhereItInsertsButNeverToTheProgramsOwn) {
  openSettings();
  fillStandard();
  check(w().anyCursorBox);
  check(w().anyWindowBox);
  check(w().continuousBox);
  pressStart();
  const platform::WindowHandle w2 = desktop->createOtherWindow({800, 100, 1200, 400});
  sim::SimDesktop::TextField& field2 = desktop->createTextField(w2, {810, 150, 1100, 180});
  arm({300, 300});  // not an I-beam
  ASSERT_TRUE(flags().insertArmed);
  clickAndWait({900, 165});
  EXPECT_EQ(field2.pastes, Values{"No.1)"});
  // ...but never to the program's own windows: still armed, a click on the panel's title bar
  // inserts nothing, nor does the click on "連番中止" that stops the run.
  desktop->userClickAt({panel().form.left() + 60, panel().form.top() + 8});
  platform->titleBarPress();
  desktop->advance(600);
  ASSERT_TRUE(flags().insertArmed);
  desktop->userClickAt(platform->clientToScreen(panel().sequenceButton, {6, 6}));
  platform->click(panel().sequenceButton);
  desktop->advance(600);
  EXPECT_FALSE(hint().isOpen());
  EXPECT_EQ(field2.pastes, Values{"No.1)"});
  EXPECT_EQ(flags().lastInsertedText, "No.1)");
}

TEST_F(Insertion, TheHintFollowsThePointerAndShowsTheArmedState) {
  startRun();
  desktop->userMoveMouse({250, 160});
  EXPECT_EQ(hint().form.left(), 260);
  EXPECT_EQ(hint().form.top(), 170);
  EXPECT_TRUE(hint().hintShown());
  EXPECT_EQ(hint().hintLabel.color(), ui::kClInfoBk);
  desktop->userTap(kCtrl);
  desktop->userMoveMouse({251, 160});
  EXPECT_EQ(hint().hintLabel.color(), 14324814u);
  // Off the I-beam the hint is hidden but keeps following.
  desktop->userMoveMouse({300, 300});
  EXPECT_FALSE(hint().hintShown());
  EXPECT_TRUE(hint().form.transparent());
  EXPECT_EQ(hint().form.left(), 310);
  // The value is prepared once per insertion: moving about does not advance it.
  for (int k = 0; k < 5; ++k)
    desktop->userMoveMouse({260 + k, 160});
  EXPECT_EQ(hint().hintLabel.caption(), " No.1) ");
  // ...and the click then inserts the value shown.
  clickAndWait({264, 160});
  EXPECT_EQ(field->pastes, Values{"No.1)"});
}

// --- replacement, line break, exit ---

TEST_F(Insertion, ReplacementAsksFirstAndThenReplacesTheWholeField) {
  field->text = "old content here";
  openSettings();
  fillStandard();
  check(w().replaceBox);
  desktop->confirmAnswers = {false};
  pressStart();
  ASSERT_EQ(desktop->boxes.size(), 1u);
  EXPECT_EQ(desktop->boxes[0].kind, sim::SimDesktop::Box::Kind::Confirm);
  EXPECT_EQ(desktop->boxes[0].text,
            cp932("　　　　　テキストボックス内の文字列を削除して置き換えます。\r\n\r\n"
                  "要注意：テキストボックス以外で使用すると全て削除されます。\r\n\r\n"
                  "　　　　　よろしいですか？"));
  EXPECT_FALSE(hint().isOpen());  // cancelled
  pressStart();
  ASSERT_TRUE(hint().isOpen());
  arm();
  EXPECT_EQ(hint().hintLabel.color(), 65535u);
  desktop->sentKeys.clear();
  clickAndWait();
  EXPECT_EQ(field->text, "No.1)");
  // What the field's program receives: its content selected and deleted twice over, by Ctrl+A
  // and by words back from past the value's length, then the paste. The simulated field takes
  // Ctrl+A, so only the keys show the second way.
  std::vector<std::pair<int, bool>> expected;
  auto key = [&](int vk, bool up) { expected.emplace_back(vk, up); };
  auto tap = [&](int vk) {
    key(vk, false);
    key(vk, true);
  };
  for (int i = 0; i < 5; ++i)
    tap(39);
  key(kCtrl, false);
  tap('A');
  key(kCtrl, true);
  tap(46);
  key(16, false);
  key(kCtrl, false);
  for (int i = 0; i < 5; ++i)
    tap(37);
  key(kCtrl, true);
  key(16, true);
  tap(46);
  key(kCtrl, false);
  tap('V');
  key(kCtrl, true);
  std::vector<std::pair<int, bool>> sent;
  for (const auto& k : desktop->sentKeys)
    sent.emplace_back(k.vk, k.up);
  EXPECT_EQ(sent, expected);
  arm();
  clickAndWait();
  EXPECT_EQ(field->text, "No.2)");
}

TEST_F(Insertion, ARepeatedReplacementRunAsksOnlyAtItsStart) {
  openSettings();
  fillStandard("1");
  check(w().replaceBox);
  check(w().repeatBox);
  pressStart();
  for (int n = 0; n < 3; ++n) {
    arm();
    clickAndWait();
  }
  EXPECT_EQ(field->pastes, (Values{"No.1)", "No.1)", "No.1)"}));
  EXPECT_EQ(field->text, "No.1)");
  EXPECT_EQ(desktop->boxes.size(), 1u);
}

TEST_F(Insertion, ALineBreakStaysOnTheClipboardAndClosingEmptiesIt) {
  openSettings();
  fillStandard();
  check(w().lineBreakBox);
  pressStart();
  arm();
  clickAndWait();
  EXPECT_EQ(field->text, "No.1)\r\n");
  EXPECT_EQ(desktop->clipboardBytes(), "No.1)\r\n");
  EXPECT_EQ(flags().lastInsertedText, "No.1)\r\n");
  EXPECT_EQ(hint().hintLabel.caption(), " No.2) ");  // the break is pasted, never shown
  platform->trayIcon(platform::kWmRButtonDown);
  platform->chooseMenuItem(panel().trayCloseItem);
  EXPECT_EQ(desktop->clipboardKind(), sim::SimDesktop::ClipKind::Empty);
}

TEST_F(Insertion, AClipboardHeldByAnotherProgramLosesNoValueAndTouchesNoField) {
  field->text = "keep";
  openSettings();
  fillStandard();
  check(w().replaceBox);
  pressStart();
  arm();
  desktop->otherHoldsClipboard(true);
  clickAndWait();
  EXPECT_EQ(errorCount(), 1);
  EXPECT_EQ(field->text, "keep");
  desktop->otherHoldsClipboard(false);
  clickAndWait();
  EXPECT_EQ(field->text, "No.1)");
  EXPECT_EQ(desktop->clipboardBytes(), "No.1)");
  // The refused click used up no step either: the run still has its last two values.
  for (const char* value : {"No.2)", "No.3)"}) {
    ASSERT_TRUE(hint().isOpen()) << value;
    arm();
    clickAndWait();
    EXPECT_EQ(field->text, value);
  }
  EXPECT_FALSE(hint().isOpen());
}

// --- the window the run goes to, the hook's renewal ---

TEST_F(Insertion, TheHotkeyDuringARunRetargetsIt) {
  startRun();
  const platform::WindowHandle w2 = desktop->createOtherWindow({800, 100, 1200, 400});
  sim::SimDesktop::TextField& field2 = desktop->createTextField(w2, {810, 150, 1100, 180});
  desktop->activateOther(w2);
  platform->hotkey();
  desktop->advance(200);
  desktop->activateOther(w2);
  arm({900, 165});
  clickAndWait({900, 165});
  EXPECT_EQ(field2.pastes, Values{"No.1)"});
  EXPECT_TRUE(field->pastes.empty());
}

TEST_F(Insertion, AReplacingRunStaysWithItsWindowWhenSummonedFromAnother) {
  openSettings();
  fillStandard();
  check(w().replaceBox);
  pressStart();
  const platform::WindowHandle w2 = desktop->createOtherWindow({800, 100, 1200, 400});
  sim::SimDesktop::TextField& field2 = desktop->createTextField(w2, {810, 150, 1100, 180}, "w2");
  desktop->activateOther(w2);
  platform->hotkey();
  desktop->advance(200);
  desktop->activateOther(w2);
  arm({900, 165});
  clickAndWait({900, 165});
  EXPECT_EQ(field2.text, "w2");
  EXPECT_EQ(flags().insertTargetWindow, other);
}

TEST_F(Insertion, TheHookIsRenewedEverySecondAndByTheTrayClick) {
  startRun();
  const int installs = platform->hookInstalls();
  desktop->advance(3000);
  EXPECT_EQ(platform->hookInstalls(), installs + 3);
  platform->trayIcon(platform::kWmLButtonDown);
  EXPECT_EQ(platform->hookInstalls(), installs + 4);
  EXPECT_TRUE(platform->inputHookInstalled());
}

TEST_F(Insertion, AnEmptyStartOrEndDoesNothing) {
  openSettings();
  type(w().startCombo, "1");
  pressStart();
  EXPECT_FALSE(hint().isOpen());
  EXPECT_TRUE(w().form.visible());
  EXPECT_FALSE(platform->inputHookInstalled());
}

TEST_F(Insertion, ExitRemovesTheHook) {
  startRun();
  platform->trayIcon(platform::kWmRButtonDown);
  platform->chooseMenuItem(panel().trayCloseItem);
  program->shutdown();
  EXPECT_FALSE(platform->inputHookInstalled());
}

}  // namespace
