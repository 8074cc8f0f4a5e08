#include "platform/input_queue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

namespace {

using platform::InputEvent;
using platform::InputEventQueue;
using Kind = InputEvent::Kind;

InputEvent move() {
  return {Kind::Other, 0};
}
InputEvent down(int vk) {
  return {Kind::KeyDown, vk};
}
InputEvent up(int vk) {
  return {Kind::KeyUp, vk};
}
InputEvent press() {
  return {Kind::LButtonDown, 0};
}
InputEvent release() {
  return {Kind::LButtonUp, 0};
}

std::string name(const InputEvent& e) {
  switch (e.kind) {
    case Kind::KeyDown:
      return "down" + std::to_string(e.vk);
    case Kind::KeyUp:
      return "up" + std::to_string(e.vk);
    case Kind::LButtonDown:
      return "press";
    case Kind::LButtonUp:
      return "release";
    case Kind::Other:
      return "move";
  }
  return "?";
}

std::vector<std::string> drain(InputEventQueue& q) {
  std::vector<std::string> out;
  while (auto e = q.pop())
    out.push_back(name(*e));
  return out;
}

struct FoldCase {
  const char* title;
  std::vector<InputEvent> pushed;
  std::vector<std::string> taken;
};

void PrintTo(const FoldCase& c, std::ostream* os) {
  *os << c.title;
}

class InputQueueFolding : public testing::TestWithParam<FoldCase> {};

TEST_P(InputQueueFolding, TakesWhatWasPushedInOrderWithWaitingMovesFolded) {
  InputEventQueue q;
  for (const InputEvent& e : GetParam().pushed)
    q.push(e);
  EXPECT_EQ(drain(q), GetParam().taken);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, InputQueueFolding,
    testing::Values(FoldCase{"MovesInARowBecomeOne", {move(), move(), move()}, {"move"}},
                    FoldCase{"KeysAreNeverFolded",
                             {down(17), down(17), up(17), up(17)},
                             {"down17", "down17", "up17", "up17"}},
                    FoldCase{"MovesBetweenKeysFoldPerGapOnly",
                             {move(), move(), down(17), move(), move(), move(), up(17), move()},
                             {"move", "down17", "move", "up17", "move"}},
                    FoldCase{"ButtonsSplitRunsOfMoves",
                             {move(), press(), move(), move(), release(), release()},
                             {"move", "press", "move", "release", "release"}},
                    FoldCase{"ThePastesChordKeepsItsOrder",
                             {down(17), move(), down(86), up(86), move(), move(), up(17)},
                             {"down17", "move", "down86", "up86", "move", "up17"}}),
    [](const testing::TestParamInfo<FoldCase>& info) { return std::string(info.param.title); });

TEST(InputQueue, WakesTheConsumerOncePerBatchAndAgainOnceItHasDrained) {
  InputEventQueue q;
  EXPECT_TRUE(q.push(down(17)));
  EXPECT_FALSE(q.push(move()));
  EXPECT_FALSE(q.push(up(17)));
  ASSERT_TRUE(q.pop());
  // Still draining: what comes now is taken in the same go.
  EXPECT_FALSE(q.push(press()));
  EXPECT_EQ(drain(q), (std::vector<std::string>{"move", "up17", "press"}));
  EXPECT_TRUE(q.push(release()));
}

TEST(InputQueue, AFailedWakeUpIsAskedForAgainByTheNextEvent) {
  InputEventQueue q;
  EXPECT_TRUE(q.push(down(17)));
  q.wakeLost();
  EXPECT_TRUE(q.push(up(17)));
  EXPECT_EQ(drain(q), (std::vector<std::string>{"down17", "up17"}));
}

TEST(InputQueue, ClearForgetsWaitingEventsAndRearmsTheWakeUp) {
  InputEventQueue q;
  q.push(down(17));
  q.push(move());
  q.clear();
  EXPECT_EQ(q.waiting(), 0u);
  EXPECT_TRUE(q.push(up(17)));
  EXPECT_EQ(drain(q), (std::vector<std::string>{"up17"}));
}

// The UI thread sleeps through the paste while the pointer keeps moving: what waits stays small
// and every key and button arrives, in order.
TEST(InputQueue, ABurstOfMovesWhileTheConsumerSleepsKeepsKeysAndStaysSmall) {
  InputEventQueue q;
  constexpr int kRounds = 200, kMovesPerRound = 500;
  int wakes = 0;
  std::thread producer([&] {
    for (int r = 0; r < kRounds; ++r) {
      for (int m = 0; m < kMovesPerRound; ++m)
        wakes += q.push(move()) ? 1 : 0;
      wakes += q.push(down(r)) ? 1 : 0;
      wakes += q.push(up(r)) ? 1 : 0;
    }
  });
  producer.join();
  EXPECT_EQ(wakes, 1);
  EXPECT_LE(q.waiting(), static_cast<std::size_t>(3 * kRounds));
  EXPECT_EQ(q.folded(), static_cast<std::size_t>(kRounds * (kMovesPerRound - 1)));
  int expected = 0, keys = 0;
  while (auto e = q.pop()) {
    if (e->kind == Kind::Other) continue;
    ASSERT_EQ(e->vk, expected) << "key order broken at " << keys;
    ASSERT_EQ(e->kind, keys % 2 == 0 ? Kind::KeyDown : Kind::KeyUp);
    ++keys;
    if (keys % 2 == 0) ++expected;
  }
  EXPECT_EQ(keys, 2 * kRounds);
}

// Producer and consumer at the same time, the consumer draining only when woken (as the UI
// thread does on the posted message): nothing is lost, reordered or left without a wake-up.
TEST(InputQueue, ConcurrentProducerAndConsumerLoseNothing) {
  InputEventQueue q;
  constexpr int kKeys = 20000;
  std::atomic<int> wakes{0};
  std::atomic<bool> done{false};
  std::thread producer([&] {
    for (int k = 0; k < kKeys; ++k) {
      if (q.push(move())) ++wakes;
      if (q.push(down(k))) ++wakes;
    }
    done = true;
  });
  int next = 0, handled = 0;
  for (;;) {
    if (handled < wakes.load()) {
      ++handled;
      while (auto e = q.pop()) {
        if (e->kind == Kind::Other) continue;
        ASSERT_EQ(e->vk, next);
        ++next;
      }
      continue;
    }
    if (done.load() && handled == wakes.load()) break;
    std::this_thread::yield();
  }
  producer.join();
  EXPECT_EQ(next, kKeys);
  EXPECT_EQ(q.waiting(), 0u);
}

}  // namespace
