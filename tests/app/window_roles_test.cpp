// What each window of the program states about being shown and closed. The backends only act
// on what a form states, so a window that stops stating its part behaves differently on the
// desktop: the program no longer ends with its panel, or a hint takes the typing away.
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>

#include "support/sim_fixture.h"

namespace {

using testing_support::SimFixture;

class WindowRoles : public SimFixture {};

struct Role {
  const char* window;
  std::function<ui::Form&(app::Program&)> form;
  bool closeBox;     // the user can close it by its close box
  bool endsProgram;  // closing it ends the program
  bool takesFocus;   // shown, it may become the active window
};

void PrintTo(const Role& r, std::ostream* os) {
  *os << r.window;
}

class EachWindow : public SimFixture, public ::testing::WithParamInterface<Role> {};

TEST_P(EachWindow, ClosesAndShowsAsItsRoleWants) {
  const Role& r = GetParam();
  start();
  ui::Form& f = r.form(*program);
  platform::runHandler(*platform, [&f] { f.show(); });
  ASSERT_TRUE(f.visible());

  platform->closeBox(f);
  EXPECT_EQ(!f.visible(), r.closeBox) << "close box";
  EXPECT_EQ(platform->quitRequested(), r.closeBox && r.endsProgram) << "close box";

  platform::runHandler(*platform, [&f] { f.show(); });
  platform->systemClose(f);
  EXPECT_FALSE(f.visible());
  EXPECT_EQ(platform->quitRequested(), r.endsProgram) << "program ended";
  EXPECT_EQ(!f.noActivate, r.takesFocus);
}

INSTANTIATE_TEST_SUITE_P(
    Windows, EachWindow,
    ::testing::Values(Role{"Panel", [](app::Program& p) -> ui::Form& { return p.mainForm().form; },
                           false, true, true},
                      Role{"Settings",
                           [](app::Program& p) -> ui::Form& { return p.settingsForm(); }, true,
                           false, true},
                      Role{"Hint", [](app::Program& p) -> ui::Form& { return p.hintForm(); }, false,
                           false, false}),
    [](const ::testing::TestParamInfo<Role>& info) { return std::string(info.param.window); });

TEST_F(WindowRoles, AfterTheSettingsWindowClosesTheProgramGoesOnCapturing) {
  start();
  ui::Form& settings = program->settingsForm();
  platform::runHandler(*platform, [&settings] { settings.show(); });
  platform->closeBox(settings);
  ASSERT_FALSE(settings.visible());
  copy("after the settings window");
  EXPECT_EQ(slotText(1), "after the settings window");
}

TEST_F(WindowRoles, TheHintShowsOnlyItsPanelOverTheWindowUnderIt) {
  start();
  sequence::HintForm& hint = program->hint();
  platform::runHandler(*platform, [&hint] { hint.open(); });
  // The window's own colour is the see-through one; the panel's colour is not, so the panel
  // (and its label) stay visible.
  ASSERT_TRUE(hint.form.transparentColor().has_value());
  EXPECT_EQ(*hint.form.transparentColor(), hint.form.color());
  EXPECT_NE(hint.hintPanel.color(), hint.form.color());
  EXPECT_NE(hint.hintLabel.color(), hint.form.color());
  // Panels and forms of the other windows are seen whole.
  EXPECT_FALSE(program->mainForm().form.transparentColor().has_value());
  EXPECT_FALSE(program->settingsForm().transparentColor().has_value());
}

}  // namespace
