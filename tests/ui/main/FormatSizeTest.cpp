#include <gtest/gtest.h>

#include "config/windows/OptionsForm.h"
#include "ui/main/FormatSize.h"
#include "ui/main/StatisticsList.h"

TEST(FormatSize, ThresholdsArePowersOf1000AndDivisorsPowersOf1024) {
  const struct {
    uint64_t Bytes;
    const char* Text;
  } cases[] = {
      {0, "0"},
      {999, "999"},
      {1000, "0.98 KB"},
      {10240, "10.0 KB"},
      {102400, "100 KB"},
      {999999, "977 KB"},
      {1000000, "0.95 MB"},
      {1048576, "1.00 MB"},
      {999999999, "954 MB"},
      {1000000000, "0.93 GB"},
      {10ull * 1073741824ull, "10.0 GB"},
      {UINT64_MAX, "17179869184 GB"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatSize(c.Bytes), c.Text) << c.Bytes;
}

TEST(StatisticsValues, BytesAsSizesAndOtherRowsAsSumsOfBothDirections) {
  TEngineCounters counters{};
  counters.BytesIn = 1048576;
  counters.BytesOut = 999;
  counters.DroppedIn = 3;
  counters.DroppedOut = 4;
  counters.DelayedOut = 5;
  counters.DuplicatedIn = 6;
  counters.ReorderedIn = 1;
  counters.ReorderedOut = 1;
  counters.CorruptedIn = 1ull << 40;
  counters.CorruptedOut = 1;
  counters.OversizedIn = 2;
  counters.OversizedOut = 3;
  counters.FramesIn = 100;  // not shown
  const auto values = StatisticsValues(counters);
  EXPECT_EQ(values[0], "1.00 MB / 999");
  EXPECT_EQ(values[1], "7");
  EXPECT_EQ(values[2], "5");
  EXPECT_EQ(values[3], "6");
  EXPECT_EQ(values[4], "2");
  EXPECT_EQ(values[5], "1099511627777");
  EXPECT_EQ(values[6], "5");
}

TEST(OptionsScaleValue, DecimalNumbersThatFitElseZero) {
  const struct {
    const char* Text;
    int32_t Value;
  } cases[] = {{"", 0}, {"0", 0}, {"1500", 1500}, {"2147483647", 2147483647}, {"2147483648", 0},
               {"99999999999999999999", 0}, {"abc", 0}};
  for (const auto& c : cases) EXPECT_EQ(ReadScaleValue(QString::fromLatin1(c.Text)), c.Value) << c.Text;
}
