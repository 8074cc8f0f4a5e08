#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "sequence/values.h"
#include "support/sim_fixture.h"

namespace {

using testing_support::bytes;
using testing_support::SimFixture;

// Records what reaches the backend, and passes it on.
class RecordingPeer : public ui::ControlPeer {
 public:
  explicit RecordingPeer(ui::ControlPeer* next) : next_(next) {}
  void changed(ui::Control& control, ui::Property what) override {
    if (what == ui::Property::Topmost)
      topmostUpdates.push_back(static_cast<ui::Form&>(control).topmost());
    if (next_) next_->changed(control, what);
  }
  ui::ControlPeer* next() const { return next_; }
  std::vector<bool> topmostUpdates;

 private:
  ui::ControlPeer* next_;
};

class HintWindow : public SimFixture {
 protected:
  sequence::HintForm& hint() { return program->hint(); }
  void TearDown() override {
    if (recorder) hint().form.setPeer(recorder->next());
  }
  template <class F>
  void handle(F&& f) {
    platform::runHandler(*platform, f);
  }
  std::unique_ptr<RecordingPeer> recorder;
};

TEST_F(HintWindow, ARunShowsMovesColoursHidesAndClosesIt) {
  start();
  EXPECT_FALSE(hint().isOpen());
  EXPECT_FALSE(hint().hintShown());
  EXPECT_EQ(hint().form.color(), 15780518u);
  sequence::RunSettings settings;
  settings.startText = "1";
  settings.endText = "3";
  settings.prefix = "No.";
  settings.suffix = ")";
  settings.lineBreak = true;
  sequence::RunState run;
  run.StartRun(settings);

  handle([&] {
    hint().open();
    hint().setCaption(bytes(run.PrepareValue(settings)));
    hint().moveTo({100, 200});
    hint().showHint();
    hint().setLabelColour(sequence::HintForm::kArmedInsert);
  });
  EXPECT_TRUE(hint().isOpen());
  EXPECT_EQ(hint().hintLabel.caption(), " No.1) ");
  EXPECT_EQ(hint().form.left(), 110);
  EXPECT_EQ(hint().form.top(), 210);
  EXPECT_TRUE(hint().hintShown());
  EXPECT_TRUE(hint().hintLabel.visible());
  EXPECT_FALSE(hint().form.transparent());
  EXPECT_EQ(hint().hintLabel.color(), 14324814u);
  // The application counts a run as on while this window is open.
  EXPECT_TRUE(program->hintForm().visible());

  // Near the screen's edge the offset stays: the window is not pulled back inside.
  handle([&] {
    hint().moveTo({1275, 1000});
    hint().hideHint();
  });
  EXPECT_EQ(hint().form.left(), 1285);
  EXPECT_EQ(hint().form.top(), 1010);
  EXPECT_FALSE(hint().hintShown());
  EXPECT_TRUE(hint().form.transparent());
  EXPECT_TRUE(hint().isOpen());

  handle([&] { hint().close(); });
  EXPECT_FALSE(hint().isOpen());
  // Between runs it keeps its caption, colour and position.
  EXPECT_EQ(hint().hintLabel.caption(), " No.1) ");
  EXPECT_EQ(hint().hintLabel.color(), 14324814u);
  EXPECT_EQ(hint().form.left(), 1285);
}

TEST_F(HintWindow, ActivationPutsItOnTopAgain) {
  start();
  recorder = std::make_unique<RecordingPeer>(hint().form.peer());
  hint().form.setPeer(recorder.get());
  handle([&] { hint().open(); });
  // Already top-most since creation: the activation must still reach the window system.
  platform->activate(hint().form);
  ASSERT_FALSE(recorder->topmostUpdates.empty());
  EXPECT_TRUE(recorder->topmostUpdates.back());
  EXPECT_TRUE(hint().form.topmost());
}

}  // namespace
