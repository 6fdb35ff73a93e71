// The impairment decisions, driven through a seeded generator.

#include <gtest/gtest.h>

#include <vector>

#include "engine/CorruptionModel.h"
#include "engine/DuplicationModel.h"
#include "engine/LatencyModel.h"
#include "engine/LossModel.h"
#include "engine/ReorderingModel.h"

namespace {

TLatencySettings Latency(TLatencyKind kind, uint32_t from, uint32_t to, uint32_t percent = 100,
                         double correlation = 0) {
  TLatencySettings s;
  s.Enabled = true;
  s.Kind = kind;
  s.DelayFrom = from;
  s.DelayTo = to;
  s.Percent = percent;
  s.Correlation = correlation;
  return s;
}

TEST(LatencyModel, FixedAndRandomRanges) {
  TRandom random(1);
  int32_t last = 0;
  for (int i = 0; i < 200; ++i) {
    EXPECT_EQ(DecideLatency(Latency(TLatencyKind::lkFixed, 250, 0), last, random).Delay, 250);
    EXPECT_EQ(DecideLatency(Latency(TLatencyKind::lkRandom, 100, 100), last, random).Delay, 100);
  }
  bool sawLow = false;
  for (int i = 0; i < 5000; ++i) {
    const int32_t d = DecideLatency(Latency(TLatencyKind::lkRandom, 100, 200), last, random).Delay;
    ASSERT_GE(d, 100);
    ASSERT_LT(d, 200) << "the upper end is never drawn";
    sawLow |= d == 100;
    // With the ends swapped the same range applies.
    const int32_t swapped = DecideLatency(Latency(TLatencyKind::lkRandom, 200, 100), last, random).Delay;
    ASSERT_GE(swapped, 100);
    ASSERT_LT(swapped, 200);
  }
  EXPECT_TRUE(sawLow);
}

TEST(LatencyModel, PercentChoosesAShareAndLeavesLastDelayAlone) {
  TRandom random(2);
  int32_t last = 77;
  int delayed = 0;
  for (int i = 0; i < 10000; ++i) {
    const TLatencyDecision d = DecideLatency(Latency(TLatencyKind::lkFixed, 10, 0, 50), last, random);
    if (d.Delayed) {
      ++delayed;
      EXPECT_EQ(last, 10);
    } else {
      EXPECT_EQ(d.Delay, 0);
    }
  }
  EXPECT_NEAR(delayed, 5000, 300);
  last = 77;
  TLatencySettings off = Latency(TLatencyKind::lkFixed, 10, 0);
  off.Enabled = false;
  EXPECT_FALSE(DecideLatency(off, last, random).Delayed);
  EXPECT_EQ(last, 77);
}

// A generator whose first draws are known: the correlated delay blends the
// draw with the previous delay, rounding ties to even.
TEST(LatencyModel, CorrelationBlendsWithThePreviousDelay) {
  // From 100 to 100 the draw is always 100.
  TRandom random(3);
  int32_t last = 400;
  EXPECT_EQ(DecideLatency(Latency(TLatencyKind::lkRandom, 100, 100, 100, 0.5), last, random).Delay, 250);
  EXPECT_EQ(last, 250);
  last = 0;
  EXPECT_EQ(DecideLatency(Latency(TLatencyKind::lkRandom, 100, 100, 100, 0.5), last, random).Delay, 100);
  last = 101;  // 100 * 0.5 + 101 * 0.5 = 100.5 -> 100 (tie to even)
  EXPECT_EQ(DecideLatency(Latency(TLatencyKind::lkRandom, 100, 100, 100, 0.5), last, random).Delay, 100);
}

TEST(LatencyModel, InvalidKindOrCorrelationIsAnInternalError) {
  TRandom random(4);
  int32_t last = 10;
  TLatencySettings bad = Latency(static_cast<TLatencyKind>(7), 1, 2);
  EXPECT_THROW(DecideLatency(bad, last, random), std::exception);
  EXPECT_THROW(DecideLatency(Latency(TLatencyKind::lkRandom, 1, 5, 100, 1.0), last, random), std::exception);
}

TLossSettings Loss(uint32_t value, uint32_t lo, uint32_t hi, TLossType type = TLossType::ltPercentage) {
  TLossSettings s;
  s.Enabled = true;
  s.Type = type;
  s.Value = value;
  s.BurstLo = lo;
  s.BurstHi = hi;
  return s;
}

TEST(LossModel, BurstsHaveTheirLengthAndTheLongRunShareHolds) {
  TRandom random(5);
  TLossSettings loss = Loss(100, 3, 3);  // 10.0 % on the scale 1000
  std::vector<int> runs;
  int run = 0, lost = 0;
  constexpr int kFrames = 300000;
  for (int i = 1; i <= kFrames; ++i) {
    if (DecideLoss(loss, 1000, i, random)) {
      ++lost;
      ++run;
    } else if (run > 0) {
      runs.push_back(run);
      run = 0;
    }
  }
  ASSERT_FALSE(runs.empty());
  for (int r : runs) EXPECT_EQ(r % 3, 0) << "bursts are exactly three frames (back to back ones join)";
  EXPECT_NEAR(static_cast<double>(lost) / kFrames, 0.10, 0.005);
}

TEST(LossModel, PlainShareWithoutBurstsAndWholeScale) {
  TRandom random(6);
  TLossSettings loss = Loss(1, 1, 1);
  int lost = 0;
  for (int i = 1; i <= 200000; ++i) lost += DecideLoss(loss, 1000, i, random);
  EXPECT_NEAR(lost, 200, 60);
  TLossSettings all = Loss(1000, 2, 9);
  for (int i = 1; i <= 1000; ++i) ASSERT_TRUE(DecideLoss(all, 1000, i, random));
  // A large scale makes the draw range exceed 32 bits; it must still work.
  TLossSettings fine = Loss(500000, 1, 1);
  lost = 0;
  for (int i = 1; i <= 20000; ++i) lost += DecideLoss(fine, 1000000, i, random);
  EXPECT_NEAR(lost, 10000, 400);
}

TEST(LossModel, FixedNumberLosesEveryNthFrame) {
  TRandom random(7);
  TLossSettings loss = Loss(5, 1, 1, TLossType::ltFixedNumber);
  std::vector<int> lost;
  for (int i = 1; i <= 20; ++i)
    if (DecideLoss(loss, 1000, i, random)) lost.push_back(i);
  EXPECT_EQ(lost, (std::vector<int>{5, 10, 15, 20}));
  TLossSettings zero = Loss(0, 1, 1, TLossType::ltFixedNumber);
  EXPECT_FALSE(DecideLoss(zero, 1000, 10, random));
  TLossSettings off = Loss(1000, 1, 1);
  off.Enabled = false;
  EXPECT_FALSE(DecideLoss(off, 1000, 1, random));
  TLossSettings bad = Loss(1, 1, 1, static_cast<TLossType>(9));
  EXPECT_THROW(DecideLoss(bad, 1000, 1, random), std::exception);
}

TEST(DuplicationAndReordering, SharesAndFixedNumbers) {
  TRandom random(8);
  TDuplicationSettings dup{true, TDuplicationType::dtPercentage, 1000};
  TReorderingSettings reorder{true, 1000, 1};
  for (int i = 1; i <= 100; ++i) {
    ASSERT_TRUE(DecideDuplication(dup, 1000, i, random));
    ASSERT_TRUE(DecideReordering(reorder, 1000, random));
  }
  TDuplicationSettings third{true, TDuplicationType::dtFixedNumber, 3};
  EXPECT_FALSE(DecideDuplication(third, 1000, 2, random));
  EXPECT_TRUE(DecideDuplication(third, 1000, 3, random));
  TDuplicationSettings bad{true, static_cast<TDuplicationType>(5), 3};
  EXPECT_THROW(DecideDuplication(bad, 1000, 3, random), std::exception);
  EXPECT_TRUE(IsReorderReleaseDue(6, 3));
  EXPECT_FALSE(IsReorderReleaseDue(7, 3));
}

TEST(CorruptionModel, FlipsExactlyOneBit) {
  TRandom random(9);
  for (int i = 0; i < 500; ++i) {
    std::vector<uint8_t> frame(60, 0x5A);
    const std::vector<uint8_t> before = frame;
    CorruptOneBit(frame.data(), static_cast<uint32_t>(frame.size()), random);
    int bits = 0;
    for (size_t b = 0; b < frame.size(); ++b) bits += __builtin_popcount(frame[b] ^ before[b]);
    ASSERT_EQ(bits, 1);
  }
}

TEST(CorruptionModel, BitErrorsPerMinuteAccumulateOverSeconds) {
  TRandom random(10);
  TCorruptionSettings c{true, TCorruptionType::ctBitErrors, 6, TBitErrorUnit::buMinute, 0};
  TBitErrorState bits;
  // Traffic every second: one corrupted frame every ten seconds.
  std::vector<int> corruptedAt;
  for (int second = 0; second < 60; ++second) {
    BitErrorTick(bits);
    for (int f = 0; f < 5; ++f)
      if (DecideCorruption(c, 1000, 100, bits, random)) corruptedAt.push_back(second);
  }
  EXPECT_EQ(corruptedAt, (std::vector<int>{9, 19, 29, 39, 49, 59}));
  // A quiet minute, then a burst of frames within one second: up to six.
  for (int second = 0; second < 60; ++second) BitErrorTick(bits);
  int burst = 0;
  for (int f = 0; f < 100; ++f) burst += DecideCorruption(c, 1000, 100, bits, random);
  EXPECT_EQ(burst, 6);
}

TEST(CorruptionModel, BitErrorRatio) {
  TRandom random(11);
  TCorruptionSettings c{true, TCorruptionType::ctBitErrorRatio, 0, TBitErrorUnit::buSecond, 0.001};
  TBitErrorState bits;
  for (int i = 0; i < 10; ++i) ASSERT_TRUE(DecideCorruption(c, 1000, 1000, bits, random)) << "frame " << i;
  c.Ratio = 0.0001;  // 10000 bits: every second 1000-byte frame
  std::vector<bool> chosen;
  for (int i = 0; i < 4; ++i) chosen.push_back(DecideCorruption(c, 1000, 1000, bits, random));
  EXPECT_EQ(chosen, (std::vector<bool>{false, true, false, true}));
  c.Ratio = 0;
  EXPECT_FALSE(DecideCorruption(c, 1000, 1000, bits, random));
  EXPECT_EQ(bits.BitCount, 8000u);
}

}  // namespace
