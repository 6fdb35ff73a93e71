// The token buckets: admission in DispatchFrame, refill per tick, the
// dequeuer's release, queue order and the queue limit.

#include "tests/engine/EngineFixture.h"

namespace {

class RateLimiter : public EngineFixture {
 protected:
  void SetRate(uint32_t inBits, uint32_t outBits) {
    Model.SelectRate(TShapingRate(std::to_string(inBits) + ":" + std::to_string(outBits), static_cast<int32_t>(inBits),
                                  static_cast<int32_t>(outBits)));
    Apply(TSettingsPart::spRate);
  }
  void SetBudgetOut(double budget) {
    TLockGuard lock(Engine.Locks.EngineLock);
    Engine.State.BudgetOut = budget;
  }
  size_t QueuedOut() {
    TLockGuard lock(Engine.Locks.EngineLock);
    return Engine.State.RateQueueOut.Count();
  }
};

TEST_F(RateLimiter, RatesAreBytesPerSecondDroppingTheRemainder) {
  SetRate(1500, 0);
  EXPECT_EQ(Engine.State.RateIn, 187);
  EXPECT_EQ(Engine.State.RateOut, 0);
  Model.RateIndex = -1;
  EXPECT_THROW(Apply(TSettingsPart::spRate), std::runtime_error);
}

TEST_F(RateLimiter, AFramePassesAtOnceOnlyWhenTheBudgetCoversIt) {
  SetRate(0, 8000000);
  SetBudgetOut(1514);
  Dispatch(UdpFrame(1514, 1), false);
  EXPECT_EQ(Sent().size(), 1u) << "a budget of exactly the frame's length lets it pass";
  EXPECT_EQ(Engine.State.BudgetOut, 0);
  SetBudgetOut(1513);
  Dispatch(UdpFrame(1514, 2), false);
  EXPECT_TRUE(Sent().empty());
  EXPECT_EQ(QueuedOut(), 1u);
  // A small frame that the budget would cover still queues behind it.
  Dispatch(UdpFrame(60, 3), false);
  EXPECT_EQ(QueuedOut(), 2u);
  SetBudgetOut(1514 + 60);
  Engine.ReleaseRateQueues();
  const auto sent = Sent();
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(SequenceOf(sent[0]), 2u);
  EXPECT_EQ(SequenceOf(sent[1]), 3u);
}

TEST_F(RateLimiter, RefillAddsPerTickUpToTheBucketDepth) {
  SetRate(1500, 8000000);  // 187 B/s in, 1,000,000 B/s out
  for (int i = 0; i < 20000; ++i) Engine.RefillTokens(1);
  EXPECT_DOUBLE_EQ(Engine.State.BudgetIn, 1518) << "slow rates still hold one full-size tagged frame";
  EXPECT_DOUBLE_EQ(Engine.State.BudgetOut, 1000000);
  SetRate(0, 0);
  Engine.RefillTokens(1);
  EXPECT_DOUBLE_EQ(Engine.State.BudgetIn, 1518) << "an unlimited direction is not refilled";
  SetRate(8000, 8000);  // 1000 B/s: one byte per 1 ms tick
  Engine.RefillTokens(1);
  EXPECT_DOUBLE_EQ(Engine.State.BudgetIn, 1518) << "a lowered rate caps at the next tick";
}

TEST_F(RateLimiter, SlowRateReleasesAFullFrameAboutEveryEightSeconds) {
  SetRate(0, 1500);  // 187 B/s
  Dispatch(UdpFrame(1514, 1), false);
  Dispatch(UdpFrame(1514, 2), false);
  std::vector<int> releasedAtMs;
  for (int ms = 1; ms <= 20000; ++ms) {
    Engine.RefillTokens(1);
    Engine.ReleaseRateQueues();
    releasedAtMs.insert(releasedAtMs.end(), Sent().size(), ms);
  }
  ASSERT_EQ(releasedAtMs.size(), 2u);
  EXPECT_NEAR(releasedAtMs[0], 8097, 2);
  EXPECT_NEAR(releasedAtMs[1], 2 * 8097, 3);
}

TEST_F(RateLimiter, FullQueueDropsAndCountsAndZeroMeansNoQueue) {
  SetRate(0, 8000);
  Engine.MaxQueueSize = 3;
  for (uint32_t i = 0; i < 5; ++i) Dispatch(UdpFrame(100, i), false);
  EXPECT_EQ(QueuedOut(), 3u);
  EXPECT_EQ(Engine.Counters().DroppedOut, 2u);
  EXPECT_TRUE(Effects().empty()) << "refused frames post nothing";
  Engine.MaxQueueSize = 0;
  Dispatch(UdpFrame(100, 9), true);
  SetRate(8000, 8000000);
  Dispatch(UdpFrame(100, 10), true);
  EXPECT_EQ(Engine.Counters().DroppedIn, 1u);
}

TEST_F(RateLimiter, SwitchingToUnlimitedFlushesTheQueueUnimpaired) {
  SetRate(0, 8000);
  for (uint32_t i = 0; i < 4; ++i) Dispatch(UdpFrame(100, i), false);
  ASSERT_EQ(QueuedOut(), 4u);
  Model.LossEnabled = true;
  Model.LossPosition = 1000;  // lose everything that meets the impairments
  Apply(TSettingsPart::spLoss);
  SetRate(0, 0);
  Dispatch(UdpFrame(100, 99), false);
  const auto sent = Sent();
  ASSERT_EQ(sent.size(), 4u) << "the queued frames skip every impairment; the new one is lost";
  for (uint32_t i = 0; i < 4; ++i) EXPECT_EQ(SequenceOf(sent[i]), i);
  EXPECT_EQ(Engine.Counters().SentOut, 4u);
}

TEST_F(RateLimiter, DirectionsAreIndependent) {
  SetRate(8000, 8000);
  Dispatch(UdpFrame(100, 1), false);
  {
    TLockGuard lock(Engine.Locks.EngineLock);
    Engine.State.BudgetIn = 1000;
  }
  Dispatch(UdpFrame(100, 2), true);
  EXPECT_EQ(Delivered().size(), 1u) << "the incoming frame is not held up by the outgoing queue";
  EXPECT_EQ(QueuedOut(), 1u);
}

TEST_F(RateLimiter, LatencyChargesTheBudgetWhenTheFrameEntersTheQueue) {
  SetRate(0, 8000000);
  Model.LatencyEnabled = true;
  Model.DelayFrom = 100;
  Apply(TSettingsPart::spAll);
  SetBudgetOut(1000);
  Dispatch(UdpFrame(600), false);
  EXPECT_DOUBLE_EQ(Engine.State.BudgetOut, 400) << "charged at entry to the latency queue";
  Clock.AdvanceMs(100);
  Engine.ReleaseDueLatencyFrames();
  EXPECT_EQ(Sent().size(), 1u);
  EXPECT_DOUBLE_EQ(Engine.State.BudgetOut, 400) << "and not again at delivery";
}

}  // namespace
