// A rate limit that replays a link trace: credit per delivery opportunity,
// lost when nothing waits, carried while a frame waits, the loop, and the
// queue limit.

#include <memory>

#include "settings/LinkTrace.h"
#include "tests/engine/EngineFixture.h"

namespace {

// K opportunities spread over each 100 ms, the last at 100: every 100 ms
// from ms 1 on holds K of them.
std::shared_ptr<const TLinkTrace> EvenTrace(uint32_t opportunitiesPer100Ms) {
  std::vector<uint32_t> timestamps;
  for (uint32_t i = 1; i <= opportunitiesPer100Ms; ++i)
    timestamps.push_back((i * 100 + opportunitiesPer100Ms - 1) / opportunitiesPer100Ms);
  return std::make_shared<const TLinkTrace>(std::move(timestamps));
}

class TraceRate : public EngineFixture {
 protected:
  // A rate entry of its own that replays the trace outgoing, or without one
  // limits that direction to outBits.
  void SetOutTrace(std::shared_ptr<const TLinkTrace> trace, int32_t outBits = 0) {
    TShapingRate rate("trace " + std::to_string(++FEntries), 0, outBits);
    rate.OutTrace = std::move(trace);
    Model.SelectRate(rate);
    Apply(TSettingsPart::spRate);
  }
  int FEntries = 0;
  size_t QueuedOut() {
    TLockGuard lock(Engine.Locks.EngineLock);
    return Engine.State.RateQueueOut.Count();
  }
  // Keeps at least `frames` frames of `length` bytes waiting.
  void TopUp(uint32_t length, size_t frames) {
    while (QueuedOut() < frames) Dispatch(UdpFrame(length, NextSequence++), false);
  }
  // One millisecond as the threads would run it: the token tick, then the
  // dequeuer. Returns the frames that left in it. The first tick covers the
  // trace's millisecond 0, as the timer's first tick comes at once.
  std::vector<TLabFrame> Tick() {
    Clock.AdvanceMs(1);
    Engine.RefillTokens(1);
    Engine.ReleaseRateQueues();
    return Sent();
  }
  static uint64_t BytesOf(const std::vector<TLabFrame>& frames) {
    uint64_t bytes = 0;
    for (const TLabFrame& f : frames) bytes += f.Bytes.size();
    return bytes;
  }
  uint32_t NextSequence = 0;
};

TEST_F(TraceRate, SaturatedLinkDeliversWhatTheOpportunitiesGrant) {
  struct TCase {
    uint32_t OpportunitiesPer100Ms;
    uint32_t FrameLength;
  };
  // 1504-byte frames fill opportunities exactly; 1514-byte ones need the
  // remainder carried from one opportunity to the next; small ones share one.
  const TCase cases[] = {{1, 1504}, {7, 1504}, {7, 1514}, {100, 1514}, {250, 1514}, {250, 100}, {33, 60}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.OpportunitiesPer100Ms << " per 100 ms, frames of " << c.FrameLength);
    Engine.ResetState();
    SetOutTrace(EvenTrace(c.OpportunitiesPer100Ms));
    EXPECT_EQ(Engine.State.RateOut, static_cast<int32_t>(c.OpportunitiesPer100Ms * 1504 * 10));
    const uint64_t perWindow = uint64_t{c.OpportunitiesPer100Ms} * kTraceOpportunityBytes;
    TopUp(c.FrameLength, 100);
    ASSERT_TRUE(Tick().empty()) << "the trace has nothing at its millisecond 0";
    uint64_t delivered = 0;
    for (int window = 1; window <= 10; ++window) {
      uint64_t inWindow = 0;
      for (int ms = 0; ms < 100; ++ms) {
        TopUp(c.FrameLength, 100);
        inWindow += BytesOf(Tick());
      }
      delivered += inWindow;
      // Never more than granted, and short of it by less than the frame
      // still being carried.
      const uint64_t granted = window * perWindow;
      ASSERT_LE(delivered, granted) << "window " << window;
      ASSERT_GT(delivered + c.FrameLength, granted) << "window " << window;
      if (c.FrameLength == 1504) {
        ASSERT_EQ(inWindow, perWindow) << "window " << window;
      }
    }
    EXPECT_EQ(Engine.Counters().DroppedOut, 0u);
  }
}

// One opportunity every millisecond, from millisecond 0.
std::shared_ptr<const TLinkTrace> EveryMillisecond() { return std::make_shared<const TLinkTrace>(std::vector<uint32_t>{0}); }

TEST_F(TraceRate, IdleOpportunitiesAndUnusedRemaindersAreLost) {
  SetOutTrace(EveryMillisecond());
  for (int ms = 0; ms < 50; ++ms) EXPECT_TRUE(Tick().empty());
  // Fifty idle opportunities do not add up: three full frames still leave
  // one per opportunity, and none passes at once.
  for (uint32_t i = 0; i < 3; ++i) Dispatch(UdpFrame(1504, i), false);
  EXPECT_TRUE(Sent().empty());
  EXPECT_EQ(Tick().size(), 1u);
  EXPECT_EQ(Tick().size(), 1u);
  EXPECT_EQ(Tick().size(), 1u);
  // A 1000-byte frame leaves 504 bytes of its opportunity unused; a 500-byte
  // frame that comes after it does not get them and waits for the next one.
  Dispatch(UdpFrame(1000, 10), false);
  EXPECT_EQ(Tick().size(), 1u);
  EXPECT_DOUBLE_EQ(Engine.State.BudgetOut, 0);
  Dispatch(UdpFrame(500, 11), false);
  EXPECT_TRUE(Sent().empty());
  EXPECT_EQ(QueuedOut(), 1u);
  EXPECT_EQ(Tick().size(), 1u);
  // An opportunity with nothing waiting is lost at its tick, not only when
  // the dequeuer next runs: a frame that comes in between waits.
  Engine.RefillTokens(1);
  Dispatch(UdpFrame(60, 12), false);
  EXPECT_TRUE(Sent().empty());
  EXPECT_EQ(QueuedOut(), 1u);
}

TEST_F(TraceRate, AFrameLongerThanAnOpportunityCarriesItsRemainder) {
  struct TCase {
    uint32_t First, Second;
    std::vector<int> LeaveAtTick;  // tick after which each frame has left
  };
  const TCase cases[] = {
      // 1514 uses all of the first opportunity and 10 bytes of the second;
      // the 1494 left carry the next frame if it fits.
      {1514, 1494, {2, 2}},
      {1514, 1495, {2, 3}},
      {1504, 1504, {1, 2}},
      {100, 1514, {1, 2}},  // the rest of the first opportunity is not lost while a frame waits
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.First << ", " << c.Second);
    Engine.ResetState();
    SetOutTrace(EveryMillisecond());
    Dispatch(UdpFrame(c.First, 1), false);
    Dispatch(UdpFrame(c.Second, 2), false);
    std::vector<int> leftAt;
    for (int tick = 1; tick <= 5; ++tick) leftAt.insert(leftAt.end(), Tick().size(), tick);
    EXPECT_EQ(leftAt, c.LeaveAtTick);
  }
}

TEST_F(TraceRate, TheTraceLoopsWithThePeriodOfItsLastTimestamp) {
  struct TCase {
    std::vector<uint32_t> Timestamps;
    std::vector<int> Opportunities;  // the ms of each opportunity in the first 25 ms
  };
  const TCase cases[] = {
      {{2, 5, 5, 10}, {2, 5, 5, 10, 12, 15, 15, 20, 22}},
      {{0, 4}, {0, 4, 4, 8, 8, 12, 12, 16, 16, 20, 20, 24, 24}},
      {{0}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24}},
      {{0, 0, 0}, {}},  // filled in below: three every millisecond
      {{7, 8, 8, 30}, {7, 8, 8}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.Timestamps));
    std::vector<int> expected = c.Opportunities;
    if (c.Timestamps == std::vector<uint32_t>{0, 0, 0})
      for (int ms = 0; ms < 25; ++ms) expected.insert(expected.end(), 3, ms);
    Engine.ResetState();
    SetOutTrace(std::make_shared<const TLinkTrace>(c.Timestamps));
    std::vector<int> leftAt;
    for (int ms = 0; ms < 25; ++ms) {
      TopUp(1504, 10);
      leftAt.insert(leftAt.end(), Tick().size(), ms);
    }
    EXPECT_EQ(leftAt, expected);
  }
}

TEST_F(TraceRate, ReapplyingKeepsThePlaceAndAnotherTraceStartsOver) {
  const auto trace = std::make_shared<const TLinkTrace>(std::vector<uint32_t>{10});
  SetOutTrace(trace);
  Dispatch(UdpFrame(1504, 1), false);
  for (int ms = 0; ms < 5; ++ms) EXPECT_TRUE(Tick().empty());
  // Any control's change applies every part; the same trace plays on.
  Apply(TSettingsPart::spAll);
  for (int ms = 5; ms < 10; ++ms) EXPECT_TRUE(Tick().empty());
  EXPECT_EQ(Tick().size(), 1u) << "at the trace's millisecond 10";
  Dispatch(UdpFrame(1504, 2), false);
  for (int ms = 11; ms < 14; ++ms) EXPECT_TRUE(Tick().empty());
  // A trace with the same entries read again is another trace: it starts at
  // its beginning, so the frame waits 11 ticks from here (its ms 0 to 10),
  // not the 7 left of the old one.
  SetOutTrace(std::make_shared<const TLinkTrace>(std::vector<uint32_t>{10}));
  int ticks = 1;
  while (Tick().empty() && ticks < 20) ++ticks;
  EXPECT_EQ(ticks, 11);
  // Back to a fixed rate: the direction follows its rate again.
  SetOutTrace(nullptr, 8000);  // 1000 B/s
  EXPECT_EQ(Engine.State.RateOut, 1000);
  EXPECT_FALSE(Engine.State.TraceOut.Active());
}

TEST_F(TraceRate, DirectionsReplayTheirOwnTraceAndTheQueueLimitStays) {
  TShapingRate rate("two traces", 0, 0);
  rate.InTrace = EveryMillisecond();
  rate.OutTrace = std::make_shared<const TLinkTrace>(std::vector<uint32_t>{2});
  Model.SelectRate(rate);
  Apply(TSettingsPart::spRate);
  EXPECT_EQ(Engine.State.RateIn, 1504000);
  EXPECT_EQ(Engine.State.RateOut, 752000);
  for (uint32_t i = 0; i < 4; ++i) {
    Dispatch(UdpFrame(1504, i), true);
    Dispatch(UdpFrame(1504, i), false);
  }
  std::vector<int> inAt, outAt;
  for (int tick = 1; tick <= 9; ++tick) {
    Clock.AdvanceMs(1);
    Engine.RefillTokens(1);
    Engine.ReleaseRateQueues();
    inAt.insert(inAt.end(), Delivered().size(), tick);
    outAt.insert(outAt.end(), Sent().size(), tick);
  }
  EXPECT_EQ(inAt, (std::vector<int>{1, 2, 3, 4}));
  EXPECT_EQ(outAt, (std::vector<int>{3, 5, 7, 9})) << "its ms 2, 4, 6 and 8";

  Engine.MaxQueueSize = 3;
  for (uint32_t i = 0; i < 5; ++i) Dispatch(UdpFrame(100, i), false);
  EXPECT_EQ(QueuedOut(), 3u);
  EXPECT_EQ(Engine.Counters().DroppedOut, 2u);
}

TEST_F(TraceRate, AStartReplaysFromTheBeginning) {
  SetOutTrace(std::make_shared<const TLinkTrace>(std::vector<uint32_t>{3}));
  for (int ms = 0; ms < 2; ++ms) Tick();
  Engine.ResetState();
  EXPECT_FALSE(Engine.State.TraceOut.Active()) << "a start clears the rates until the settings are applied";
  Apply(TSettingsPart::spAll);
  EXPECT_EQ(Engine.State.TraceOut.ElapsedMs(), 0u);
}

}  // namespace
