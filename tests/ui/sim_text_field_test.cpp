// Another program's text field on the simulated desktop takes keys as an edit control does, and
// keys a program injects reach it (and the hook) only after the sending handler has returned.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "platform/sim/sim_desktop.h"
#include "support/sim_fixture.h"

namespace {

using testing_support::SimFixture;

struct KeysCase {
  const char* name;
  std::string text;
  int caret;  // and anchor: no selection at first
  std::vector<std::pair<int, bool>> keys;
  std::string clipboard;
  std::string expectText;
  std::string expectSelection;
};

void PrintTo(const KeysCase& c, std::ostream* os) {
  *os << c.name;
}

class TextField : public SimFixture, public ::testing::WithParamInterface<KeysCase> {};

TEST_P(TextField, TakesKeysAsAnEditControl) {
  const KeysCase& c = GetParam();
  const platform::WindowHandle w = desktop->createOtherWindow({0, 0, 400, 300});
  sim::SimDesktop::TextField& f = desktop->createTextField(w, {10, 10, 300, 40}, c.text);
  f.caret = f.anchor = c.caret;
  desktop->activateOther(w);
  if (!c.clipboard.empty()) desktop->otherCopiesText(c.clipboard);
  for (auto [vk, up] : c.keys)
    desktop->userKey(vk, up);
  EXPECT_EQ(f.text, c.expectText);
  EXPECT_EQ(f.selection(), c.expectSelection);
}

constexpr int kCtrl = 17, kShift = 16, kLeft = 37, kRight = 39, kDelete = 46;
std::vector<std::pair<int, bool>> tap(int vk) {
  return {{vk, false}, {vk, true}};
}
std::vector<std::pair<int, bool>> with(int modifier, std::vector<std::pair<int, bool>> keys) {
  keys.insert(keys.begin(), {modifier, false});
  keys.emplace_back(modifier, true);
  return keys;
}
std::vector<std::pair<int, bool>> join(std::vector<std::vector<std::pair<int, bool>>> parts) {
  std::vector<std::pair<int, bool>> out;
  for (auto& p : parts)
    out.insert(out.end(), p.begin(), p.end());
  return out;
}

INSTANTIATE_TEST_SUITE_P(
    SimDesktop, TextField,
    ::testing::Values(
        KeysCase{"ShiftLeftSelectsThenDeleteRemoves", "abcd", 4,
                 join({with(kShift, join({tap(kLeft), tap(kLeft)})), tap(kDelete)}), "", "ab", ""},
        KeysCase{"ArrowsStepOverDoubleByteCharacters", "\x82\xa0\x82\xa2", 4,
                 join({tap(kLeft), with(kShift, tap(kRight))}), "", "\x82\xa0\x82\xa2", "\x82\xa2"},
        KeysCase{"CtrlShiftLeftSelectsAWord", "foo bar", 7, with(kShift, with(kCtrl, tap(kLeft))),
                 "", "foo bar", "bar"},
        KeysCase{"CtrlADeleteEmptiesTheField", "old text", 3,
                 join({with(kCtrl, tap('A')), tap(kDelete)}), "", "", ""},
        KeysCase{"CtrlVPastesAtTheCaretOverTheSelection", "abcd", 1,
                 join({with(kShift, tap(kRight)), with(kCtrl, tap('V'))}), "XY", "aXYcd", ""},
        KeysCase{"DeleteWithoutSelectionRemovesTheNextCharacter", "abc", 0, tap(kDelete), "", "bc",
                 ""},
        KeysCase{"LettersAndDigitsType", "", 0, join({tap('A'), with(kShift, tap('B')), tap('1')}),
                 "", "aB1", ""},
        KeysCase{"TheReplacementSequenceLeavesItEmpty", "one two three", 5,
                 join({tap(kRight), tap(kRight), with(kCtrl, tap('A')), tap(kDelete),
                       with(kShift, with(kCtrl, join({tap(kLeft), tap(kLeft)}))), tap(kDelete)}),
                 "", "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

struct Hooked : platform::ShellEvents {
  std::vector<std::string>* log;
  void drawClipboard() override {}
  void clipboardRead(const platform::ClipboardRead&) override {}
  void hotKey() override {}
  void trayIcon(int) override {}
  bool ncLButtonDown(int) override { return true; }
  void ncLButtonDblClk(int) override {}
  void powerBroadcast(int) override {}
  void applicationDeactivate() override {}
  void endSession() override {}
  void inputEvent(const platform::InputEvent& e) override {
    log->push_back(std::to_string(static_cast<int>(e.kind)) + ":" + std::to_string(e.vk));
  }
};

class InjectedKeys : public SimFixture {};

TEST_F(InjectedKeys, ArriveAfterTheSendingHandlerAndItsPauses) {
  ui::Form form{"Main"};
  std::vector<std::string> log;
  Hooked events;
  events.log = &log;
  platform->realize(form);
  platform->setMainForm(form, events);
  platform->installInputHook();
  const platform::WindowHandle w = desktop->createOtherWindow({0, 0, 400, 300});
  sim::SimDesktop::TextField& f = desktop->createTextField(w, {10, 10, 300, 40});
  desktop->activateOther(w);
  desktop->otherCopiesText("pasted");
  desktop->runPending();

  platform::runHandler(*platform, [&] {
    platform->sendKey(17, false);
    platform->sleep(100);
    platform->sendKey('V', false);
    platform->sendKey('V', true);
    platform->sendKey(17, true);
    EXPECT_TRUE(log.empty());  // nothing nested inside sendKey
    EXPECT_EQ(f.text, "");
  });
  desktop->runPending();
  EXPECT_EQ(log, (std::vector<std::string>{"0:17", "0:86", "1:86", "1:17"}));
  EXPECT_EQ(f.text, "pasted");
  ASSERT_EQ(desktop->sentKeys.size(), 4u);
  EXPECT_EQ(desktop->sentKeys[1].at - desktop->sentKeys[0].at, 100);

  // Without the hook the field still takes them; the program hears nothing.
  platform->removeInputHook();
  log.clear();
  platform->sendKey('A', false);
  desktop->runPending();
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(f.text, "pasteda");
}

TEST_F(InjectedKeys, ThePointerIsTheIBeamOnlyOverAField) {
  const platform::WindowHandle w = desktop->createOtherWindow({0, 0, 400, 300});
  desktop->createTextField(w, {10, 10, 300, 40});
  desktop->cursor = {20, 20};
  EXPECT_EQ(platform->cursorShape(), platform::CursorShape::IBeam);
  desktop->cursor = {20, 100};
  EXPECT_EQ(platform->cursorShape(), platform::CursorShape::Other);
  desktop->addCursorRegion({0, 90, 50, 110}, platform::CursorShape::None);
  EXPECT_EQ(platform->cursorShape(), platform::CursorShape::None);
}

}  // namespace
