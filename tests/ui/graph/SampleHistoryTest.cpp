// The sample history: order, the lost oldest sample, smoothing, the largest
// visible value and the averages.
#include <gtest/gtest.h>

#include "ui/graph/SampleHistory.h"

namespace {

using TSeries = TSampleHistory::TSeries;

TEST(SampleHistory, NewestAtPositionZeroOldestLost) {
  TSampleHistory history;
  history.Add(1, 2);
  history.Add(3, 4);
  EXPECT_EQ(history.In(0), 3u);
  EXPECT_EQ(history.Out(0), 4u);
  EXPECT_EQ(history.In(1), 1u);
  EXPECT_EQ(history.Out(1), 2u);
  EXPECT_EQ(history.SampleCount(), 2u);

  // 65535 more samples push the first two out of the history.
  for (int i = 0; i < TSampleHistory::kLength; ++i) history.Add(100 + i, 0);
  EXPECT_EQ(history.In(0), 100u + TSampleHistory::kOldest);
  EXPECT_EQ(history.In(TSampleHistory::kOldest), 100u);
  EXPECT_EQ(history.SampleCount(), 2u + TSampleHistory::kLength);

  history.Clear();
  EXPECT_EQ(history.SampleCount(), 0u);
  EXPECT_EQ(history.In(0), 0u);
  EXPECT_EQ(history.In(TSampleHistory::kOldest), 0u);
  EXPECT_EQ(history.Largest(0, TSampleHistory::kOldest, false), 0u);
}

TEST(SampleHistory, PassValuesPlainAndSmoothed) {
  TSampleHistory history;
  history.Add(UINT64_MAX, 6);      // position 2
  history.Add(UINT64_MAX - 1, 1);  // position 1
  history.Add(10, 20);             // position 0
  EXPECT_EQ(history.Value(TSeries::In, 0, false), 10u);
  EXPECT_EQ(history.Value(TSeries::Both, 0, false), 10u);  // the smaller direction
  EXPECT_EQ(history.Value(TSeries::Both, 1, false), 1u);
  EXPECT_EQ(history.Value(TSeries::In, 1, true), UINT64_MAX - 1);  // no overflow in the mean
  EXPECT_EQ(history.Value(TSeries::Out, 0, true), 10u);  // (20 + 1) div 2
  EXPECT_EQ(history.Value(TSeries::Both, 0, true), 5u);  // mean of the smaller values 10 and 1
  // The oldest position has no older neighbour and stands for itself.
  TSampleHistory full;
  full.Add(7, 7);
  for (int i = 0; i < TSampleHistory::kOldest; ++i) full.Add(0, 0);
  EXPECT_EQ(full.Value(TSeries::In, TSampleHistory::kOldest, true), 7u);
}

TEST(SampleHistory, LargestOverAWindowOfBothDirections) {
  TSampleHistory history;
  history.Add(0, 900);  // position 3
  history.Add(50, 0);   // position 2
  history.Add(70, 10);  // position 1
  history.Add(5, 5);    // position 0
  EXPECT_EQ(history.Largest(0, 1, false), 70u);
  EXPECT_EQ(history.Largest(0, 3, false), 900u);
  EXPECT_EQ(history.Largest(0, 1, true), 60u);         // (70 + 50) div 2
  EXPECT_EQ(history.Largest(2, 100000, false), 900u);  // the end is limited to the oldest
}

TEST(SampleHistory, MeansDivideByTheSampleNumberAsked) {
  TSampleHistory history;
  EXPECT_EQ(history.Mean(TSeries::In, 5), 0u);
  history.Add(1000, 10);
  history.Add(1000, 20);
  EXPECT_EQ(history.Mean(TSeries::In, 5), 400u);  // two seconds after a start
  EXPECT_EQ(history.Mean(TSeries::Out, 5), 6u);
  EXPECT_EQ(history.Mean(TSeries::In, 0), 0u);
  for (int i = 1; i <= 5; ++i) history.Add(i, 0);
  EXPECT_EQ(history.Mean(TSeries::In, 3), 4u);  // (5 + 4 + 3) / 3

  // More samples asked for than are kept: only the kept ones are summed.
  TSampleHistory full;
  for (int i = 0; i < TSampleHistory::kLength + 100; ++i) full.Add(1000, 0);
  EXPECT_EQ(full.Mean(TSeries::In, 100000), 65535u * 1000 / 100000);
}

}  // namespace
