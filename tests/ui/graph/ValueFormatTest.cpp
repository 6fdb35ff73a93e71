// Label texts: decimal thresholds, division by the unit base, the decimals
// rule and the fixed rate formats.
#include <gtest/gtest.h>

#include "ui/graph/ValueFormat.h"

namespace {

struct TFormatCase {
  uint64_t Base;
  TRateFormat Format;
  int Decimals;
  const char* BScale;
  uint64_t Value;
  const char* Expected;
};

TEST(ValueFormat, Table) {
  const TFormatCase cases[] = {
      // Bytes with the default unit texts.
      {1024, TRateFormat::rfAuto, 0, "", 0, "0"},
      {1024, TRateFormat::rfAuto, 0, "", 999, "999"},
      {1024, TRateFormat::rfAuto, 0, "", 1000, "1.0 K"},  // 0.98 K, one decimal below 10
      {1024, TRateFormat::rfAuto, 0, "", 10240, "10 K"},
      {1024, TRateFormat::rfAuto, 0, "", 999999, "977 K"},
      {1024, TRateFormat::rfAuto, 0, "", 1048576, "1.0 M"},
      {1024, TRateFormat::rfAuto, 0, "", 1000000000, "0.9 G"},
      {1024, TRateFormat::rfAuto, 0, "", 10737418240ull, "10 G"},
      // Bits: the same thresholds, divided by 1000.
      {1000, TRateFormat::rfAuto, 0, "", 8000, "8.0 K"},
      {1000, TRateFormat::rfAuto, 0, "", 999999, "1000 K"},
      {1000, TRateFormat::rfAuto, 0, "", 1500000, "1.5 M"},
      // A unit text below 1000 is joined by a blank only when there is one.
      {1024, TRateFormat::rfAuto, 0, "B", 999, "999 B"},
      {1024, TRateFormat::rfAuto, 0, "B", 1000, "1.0 K"},
      // Fixed decimals apply to every quotient, large or small.
      {1024, TRateFormat::rfAuto, 2, "", 1536, "1.50 K"},
      {1024, TRateFormat::rfAuto, 2, "", 512000, "500.00 K"},
      // Fixed units ignore the thresholds.
      {1024, TRateFormat::rfKilo, 0, "", 500, "0.5 K"},
      {1024, TRateFormat::rfMega, 0, "", 524288, "0.5 M"},
      {1000, TRateFormat::rfGiga, 0, "", 25000000000ull, "25 G"},
  };
  for (const TFormatCase& c : cases) {
    TValueFormat format;
    format.UnitBase = c.Base;
    format.RateFormat = c.Format;
    format.NumberOfDecimals = c.Decimals;
    format.BScale = QString::fromLatin1(c.BScale);
    EXPECT_EQ(format.Format(c.Value).toStdString(), c.Expected) << "value " << c.Value << " base " << c.Base;
  }
}

TEST(ValueFormat, UnitTextsAreThoseSet) {
  TValueFormat format;
  format.KScale = QStringLiteral("KB/s");
  format.MScale = QStringLiteral("MB/s");
  EXPECT_EQ(format.Format(2048).toStdString(), "2.0 KB/s");
  EXPECT_EQ(format.Format(3 * 1048576).toStdString(), "3.0 MB/s");
}

}  // namespace
