#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sim/sim_desktop.h"
#include "support/ignored_events.h"
#include "support/sim_fixture.h"

namespace {

using testing_support::bytes;
using testing_support::SimFixture;

struct Recorder : testing_support::IgnoredShellEvents {
  std::vector<std::string>* log;
  platform::Platform* p;
  void drawClipboard() override { log->push_back("clip:" + p->readClipboardText().bytes()); }
  void clipboardRead(const platform::ClipboardRead& r) override {
    log->push_back("clip:" + r.text.bytes());
  }
  void applicationDeactivate() override { log->push_back("deactivate"); }
  void endSession() override { log->push_back("end session"); }
};

class Desktop : public SimFixture {
 protected:
  void SetUp() override {
    rec.log = &log;
    rec.p = platform.get();
    platform->realize(form);
    platform->setMainForm(form, rec);
    platform->startClipboardListening();
    log.clear();
  }
  ui::Form form{"Main"};
  ui::Timer timer{"T", 50};
  std::vector<std::string> log;
  Recorder rec;
};

TEST_F(Desktop, OwnWriteNotifiesInsideTheWriteOthersThroughTheQueue) {
  platform->writeClipboardText(bytes("own"));
  log.emplace_back("after write");
  desktop->otherCopiesText("theirs");
  log.emplace_back("after other");
  desktop->advance(platform::kClipboardSettleMs);
  EXPECT_EQ(log,
            (std::vector<std::string>{"clip:own", "after write", "after other", "clip:theirs"}));
}

TEST_F(Desktop, SleepBlocksTimersWhichFireOnceAfterwards) {
  form.addControl(timer);
  platform->realize(form);
  int ticks = 0;
  timer.onTimer = [&] { ++ticks; };
  timer.start();
  platform->sleep(500);  // ten intervals pass while the thread is blocked
  EXPECT_EQ(ticks, 0);
  desktop->runPending();
  EXPECT_EQ(ticks, 1);  // one late tick, not ten
  desktop->advance(49);
  EXPECT_EQ(ticks, 1);
  desktop->advance(1);
  EXPECT_EQ(ticks, 2);
}

TEST_F(Desktop, ClipboardHeldByAnotherProgramFailsEveryAccessWithTheMessage) {
  // A content not yet read: the read must open the clipboard.
  desktop->otherCopiesText("theirs");
  desktop->otherHoldsClipboard(true);
  for (auto op : {0, 1, 2}) {
    try {
      if (op == 0) platform->readClipboardText();
      if (op == 1) platform->writeClipboardText(bytes("x"));
      if (op == 2) platform->clearClipboard();
      FAIL() << op;
    } catch (const platform::Error& e) {
      EXPECT_EQ(e.what(), cp932("クリップボードを開くことができません"));
    }
  }
}

TEST_F(Desktop, ErrorEndingAHandlerIsShownAndTheLoopGoesOn) {
  platform::runHandler(*platform, [] { throw platform::Error("broken"); });
  platform::runHandler(*platform, [&] { log.emplace_back("next"); });
  ASSERT_EQ(desktop->errors().size(), 1u);
  EXPECT_EQ(desktop->errors()[0].text, "broken");
  EXPECT_EQ(log, (std::vector<std::string>{"next"}));
}

}  // namespace

namespace {

// An interrupted shift can leave "KolvexN.txt.tmp" as a second name of the next slot's file; a
// later save of slot N must not write through it into that file.
TEST_F(Desktop, ASaveNeverWritesThroughALeftoverLinkedTemporary) {
  platform->writeFile("Kolvex6.txt", "six");
  std::filesystem::create_hard_link(desktop->directory() / "Kolvex6.txt",
                                    desktop->directory() / "Kolvex5.txt.tmp");
  platform->writeFile("Kolvex5.txt", "five");
  EXPECT_EQ(desktop->fileBytes("Kolvex5.txt"), "five");
  EXPECT_EQ(desktop->fileBytes("Kolvex6.txt"), "six");
}

}  // namespace
