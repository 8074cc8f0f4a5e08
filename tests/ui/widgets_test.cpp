#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "ui/widgets.h"

namespace {

TEST(CheckBox, SettingFromCodeRaisesClickOnlyOnChangeAndBeforeReturning) {
  ui::CheckBox box("CheckBox1");
  std::vector<bool> seen;
  box.onClick = [&] { seen.push_back(box.checked()); };
  box.setChecked(false);  // no change
  box.setChecked(true);
  box.setChecked(true);  // no change
  box.userClick();       // user's click toggles first, then notifies
  EXPECT_EQ(seen, (std::vector<bool>{true, false}));
}

TEST(CheckBox, NestedChangeFromInsideItsOwnHandlerRunsToTheEndBeforeTheSetterReturns) {
  ui::CheckBox a("A"), b("B");
  std::vector<std::string> log;
  a.onClick = [&] {
    log.push_back("a:" + std::to_string(a.checked()));
    b.setChecked(a.checked());
    log.emplace_back("a-end");
  };
  b.onClick = [&] {
    log.push_back("b:" + std::to_string(b.checked()));
    if (b.checked()) a.setChecked(true);  // no change: must not recurse
  };
  a.setChecked(true);
  EXPECT_EQ(log, (std::vector<std::string>{"a:1", "b:1", "a-end"}));
}

TEST(Timer, EnablingARunningTimerKeepsItRunningWithoutANewStateChange) {
  struct Peer : ui::ControlPeer {
    int changes = 0;
    void changed(ui::Control&, ui::Property p) override {
      changes += p == ui::Property::TimerState;
    }
  } peer;
  ui::Timer t("Timer2", 50);
  t.setPeer(&peer);
  t.start();
  t.start();
  t.start();
  EXPECT_EQ(peer.changes, 1);
  int fired = 0;
  t.onTimer = [&] {
    ++fired;
    t.stop();
  };
  t.fire();
  t.fire();  // stopped: a late tick does nothing
  EXPECT_EQ(fired, 1);
}

// outer, frame, client set -> outer after
class ClientHeightRule : public ::testing::TestWithParam<std::tuple<int, int, int, int>> {};

TEST_P(ClientHeightRule, OuterHeightFollowsTheClientHeight) {
  auto [outer, frame, client, expected] = GetParam();
  ui::Form f("F");
  f.setFrameHeight(frame);
  f.setOuterHeight(outer);
  f.setClientHeight(client);
  EXPECT_EQ(f.outerHeight(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Panel, ClientHeightRule,
    ::testing::Values(std::make_tuple(130, 29, 0, 29),  // expanded -> title bar
                      std::make_tuple(29, 29, -3, 26),  // -> strip
                      std::make_tuple(0, 29, 0, 0),     // zero height stays zero
                      std::make_tuple(0, 29, -3, 0),    // below 0 counts as 0
                      std::make_tuple(33, 29, 0, 29),   // the 33 of the fold-up
                      std::make_tuple(10, 29, 0, 10),   // client never below 0
                      std::make_tuple(26, 29, -3, 23),  // strip again: 3 less each time
                      std::make_tuple(80, 29, 100, 129)),
    [](const testing::TestParamInfo<std::tuple<int, int, int, int>>& info) {
      auto number = [](int v) { return v < 0 ? "Minus" + std::to_string(-v) : std::to_string(v); };
      return "Outer" + number(std::get<0>(info.param)) + "_Frame" +
             number(std::get<1>(info.param)) + "_Client" + number(std::get<2>(info.param));
    });

TEST(Form, FocusMovesCallExitThenEnterAndTheExitHandlerMayRedirect) {
  ui::Form f("F");
  ui::Button a("a"), b("b"), sink("sink");
  f.addControl(a);
  f.addControl(b);
  f.addControl(sink);
  std::vector<std::string> log;
  // Leaving a sends the focus elsewhere (as a leave check does): b, the move's own target, is
  // then never entered.
  a.onExit = [&] {
    log.emplace_back("a-exit");
    f.setFocus(&sink);
  };
  b.onEnter = [&] { log.emplace_back("b-enter"); };
  sink.onEnter = [&] { log.emplace_back("sink-enter"); };
  sink.onExit = [&] { log.emplace_back("sink-exit"); };
  f.setFocus(&a);
  f.setFocus(&b);
  EXPECT_EQ(f.focused(), &sink);
  EXPECT_EQ(log, (std::vector<std::string>{"a-exit", "sink-enter"}));
  // A plain move: the old control's exit, then the new one's enter.
  f.setFocus(&b);
  EXPECT_EQ(f.focused(), &b);
  EXPECT_EQ(log, (std::vector<std::string>{"a-exit", "sink-enter", "sink-exit", "b-enter"}));
}

TEST(Form, CloseRefusedByTheQueryKeepsTheFormAndSkipsClose) {
  ui::Form f("F");
  f.show();
  bool allow = false, closed = false;
  f.onCloseQuery = [&] { return allow; };
  f.onClose = [&] { closed = true; };
  EXPECT_FALSE(f.close());
  EXPECT_TRUE(f.visible());
  EXPECT_FALSE(closed);
  allow = true;
  EXPECT_TRUE(f.close());
  EXPECT_FALSE(f.visible());
  EXPECT_TRUE(closed);
}

// text, line n, expected line, replacement, text after replacing line n
struct LineCase {
  const char* text;
  int n;
  const char* line;
  const char* after;
  int count;
};
void PrintTo(const LineCase& c, std::ostream* os) {
  *os << ::testing::PrintToString(std::string(c.text)) << " line " << c.n;
}
class Lines : public ::testing::TestWithParam<LineCase> {};

TEST_P(Lines, LineAccessCountsCrLfLines) {
  const LineCase& c = GetParam();
  EXPECT_EQ(ui::textLine(c.text, c.n), c.line);
  EXPECT_EQ(ui::replaceTextLine(c.text, c.n, "X"), c.after);
  EXPECT_EQ(ui::textLineCount(c.text), c.count);
}

INSTANTIATE_TEST_SUITE_P(Memo, Lines,
                         ::testing::Values(LineCase{"", 0, "", "X", 0},  // line 0 always exists
                                           LineCase{"", 1, "", "",
                                                    0},  // a missing line is not created
                                           LineCase{"C\r\nrest", 0, "C", "X\r\nrest", 2},
                                           LineCase{"a\r\nb\r\nc", 1, "b", "a\r\nX\r\nc", 3},
                                           LineCase{"a\r\nb\r\n", 2, "", "a\r\nb\r\nX", 2},
                                           LineCase{"a\r\n\r\nb", 1, "", "a\r\nX\r\nb", 3},
                                           LineCase{"a\rb\r\nc", 0, "a\rb", "X\r\nc", 2}),
                         [](const testing::TestParamInfo<LineCase>& info) {
                           // Letters as they are, line breaks spelled.
                           std::string name;
                           for (const char* p = info.param.text; *p; ++p) {
                             if (p[0] == '\r' && p[1] == '\n') {
                               name += "Nl";
                               ++p;
                             } else {
                               name += *p == '\r' ? std::string("Cr") : std::string(1, *p);
                             }
                           }
                           return (name.empty() ? "Empty" : name) + "_Line" +
                                  std::to_string(info.param.n);
                         });

}  // namespace
