// The latency queue: frames leave in order once their delay has passed,
// never early, also across the wrap of the 32-bit millisecond clock.

#include "tests/engine/EngineFixture.h"

namespace {

class LatencyQueue : public EngineFixture {
 protected:
  void EnableLatency(int type, uint32_t from, uint32_t to, uint32_t percent = 100) {
    Model.LatencyEnabled = true;
    Model.DelayType = type;
    Model.DelayFrom = from;
    Model.DelayTo = to;
    Model.LatencyPercent = percent;
    Apply(TSettingsPart::spLatency);
  }
  // Advances the clock 1 ms at a time, releasing as the latency thread does;
  // returns the milliseconds after which each frame left.
  std::vector<uint64_t> RunFor(int ms) {
    std::vector<uint64_t> leftAt;
    const uint64_t start = Clock.Now;
    for (int i = 0; i < ms; ++i) {
      Clock.AdvanceMs(1);
      Engine.ReleaseDueLatencyFrames();
      for (const auto& f : Sent()) leftAt.push_back((f.TimeMicroseconds - start) / 1000);
    }
    return leftAt;
  }
};

TEST(LatencyDue, ComparesToTheMicrosecondAndAcrossTheWrap) {
  struct TCase {
    TClockReading Now, Entry;
    int32_t Delay;
    int64_t Remaining;  // microseconds
  };
  const TCase cases[] = {
      {{100, 0}, {0, 0}, 100, 0},
      {{99, 999}, {0, 0}, 100, 1},
      {{100, 699}, {0, 700}, 100, 1},  // entered late in a millisecond: due as late
      {{100, 700}, {0, 700}, 100, 0},
      {{0, 0}, {0, 0}, 0, 0},
      {{0xFFFFFFF0u + 50, 0}, {0xFFFFFFF0u, 0}, 100, 50000},  // wrapped, 50 ms passed
      {{0xFFFFFFF0u + 100, 0}, {0xFFFFFFF0u, 0}, 100, 0},     // wrapped, 100 ms passed
      {{5000, 0}, {0, 0}, 100, 0},                             // long overdue
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(MicrosecondsUntilDue(c.Now, c.Entry, c.Delay), c.Remaining) << c.Now.Milliseconds;
    EXPECT_EQ(IsDue(c.Now, c.Entry, c.Delay), c.Remaining == 0);
  }
}

TEST_F(LatencyQueue, TheNextReleaseIsKnownToTheMicrosecond) {
  EXPECT_EQ(Engine.MicrosecondsUntilNextLatencyRelease(), -1);
  EnableLatency(0, 10, 0);
  Clock.Now += 300;
  Dispatch(UdpFrame(100, 1), false);
  Clock.Now += 9900;
  EXPECT_EQ(Engine.MicrosecondsUntilNextLatencyRelease(), 100);
  Engine.ReleaseDueLatencyFrames();
  EXPECT_TRUE(Sent().empty()) << "not a microsecond early";
  Clock.Now += 100;
  EXPECT_EQ(Engine.MicrosecondsUntilNextLatencyRelease(), 0);
  Engine.ReleaseDueLatencyFrames();
  EXPECT_EQ(Sent().size(), 1u);
}

TEST_F(LatencyQueue, FixedDelayNeverLeavesEarlyAndKeepsOrder) {
  EnableLatency(0, 100, 0);
  Clock.Now += 700;  // 0.7 ms into a millisecond: the delay still counts from the frame's arrival
  for (uint32_t i = 0; i < 5; ++i) Dispatch(UdpFrame(100, i), false);
  const uint64_t arrival = Clock.Now;
  std::vector<uint32_t> order;
  uint64_t firstLeft = 0;
  for (int ms = 0; ms < 105; ++ms) {
    Clock.AdvanceMs(1);
    Engine.ReleaseDueLatencyFrames();
    for (const auto& f : Sent()) {
      if (order.empty()) firstLeft = f.TimeMicroseconds;
      order.push_back(SequenceOf(f));
    }
  }
  EXPECT_EQ(order, (std::vector<uint32_t>{0, 1, 2, 3, 4}));
  EXPECT_GE(firstLeft - arrival, 100000u);
  EXPECT_LE(firstLeft - arrival, 101000u);
  EXPECT_EQ(Engine.Counters().DelayedOut, 5u);
}

TEST_F(LatencyQueue, AShortDelayWaitsBehindALongOne) {
  // Random 300..300 then 10..10 by switching the range between frames.
  EnableLatency(1, 300, 300);
  Dispatch(UdpFrame(100, 1), false);
  EnableLatency(1, 10, 10);
  Dispatch(UdpFrame(100, 2), false);
  const auto leftAt = RunFor(310);
  ASSERT_EQ(leftAt.size(), 2u);
  EXPECT_EQ(leftAt[0], 300u);
  EXPECT_EQ(leftAt[1], 300u) << "B leaves right after A";
  const auto effects = Effects();
  ASSERT_EQ(effects.size(), 2u);
  EXPECT_EQ(effects[0].WParam, 300);
  EXPECT_EQ(effects[1].WParam, 10);
}

TEST_F(LatencyQueue, FramesNotChosenStillKeepTheirPlace) {
  EnableLatency(0, 50, 0, /*percent=*/1);
  Engine.Random.Seed(5);
  for (uint32_t i = 0; i < 1000; ++i) Dispatch(UdpFrame(100, i), false);
  const uint64_t delayed = Engine.Counters().DelayedOut;
  ASSERT_GT(delayed, 0u);
  ASSERT_LT(delayed, 40u);
  std::vector<uint32_t> order;
  std::vector<uint64_t> leftAt;
  const uint64_t start = Clock.Now;
  for (int ms = 0; ms < 60; ++ms) {
    Clock.AdvanceMs(1);
    Engine.ReleaseDueLatencyFrames();
    for (const auto& f : Sent()) {
      order.push_back(SequenceOf(f));
      leftAt.push_back((f.TimeMicroseconds - start) / 1000);
    }
  }
  ASSERT_EQ(order.size(), 1000u);
  for (uint32_t i = 0; i < 1000; ++i) ASSERT_EQ(order[i], i) << "frames leave in the order they came";
  EXPECT_EQ(leftAt.front(), 1u) << "frames before the first delayed one leave within a millisecond";
  EXPECT_EQ(leftAt.back(), 50u) << "the rest wait behind the delayed frame";
}

TEST_F(LatencyQueue, SwitchingLatencyOffStillReleasesWhatIsQueued) {
  EnableLatency(0, 40, 0);
  Dispatch(UdpFrame(100, 1), false);
  Model.LatencyEnabled = false;
  Apply(TSettingsPart::spLatency);
  Dispatch(UdpFrame(100, 2), false);
  auto sent = Sent();
  ASSERT_EQ(sent.size(), 1u) << "new frames bypass the queue";
  EXPECT_EQ(SequenceOf(sent[0]), 2u);
  EXPECT_EQ(RunFor(41).size(), 1u);
}

TEST_F(LatencyQueue, WrapOfTheMillisecondClock) {
  Clock.Now = (uint64_t{0xFFFFFFFF} - 20) * 1000;  // 21 ms before the wrap
  EnableLatency(0, 50, 0);
  Dispatch(UdpFrame(100, 1), false);
  const auto leftAt = RunFor(60);
  ASSERT_EQ(leftAt.size(), 1u);
  EXPECT_EQ(leftAt[0], 50u);
}

}  // namespace
