#include "settings/ShapingRate.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <set>

#include "settings/FormatBitRate.h"
#include "settings/ShapingRateTable.h"
#include "common/Assertion.h"

namespace {

struct TParseCase {
  const char* Text;
  int32_t In;
  int32_t Out;
};

void PrintTo(const TParseCase& c, std::ostream* out) { *out << '"' << c.Text << '"'; }

class RateTextParses : public testing::TestWithParam<TParseCase> {};

TEST_P(RateTextParses, IntoBothLimits) {
  const TParseCase& c = GetParam();
  const TShapingRate rate("name", c.Text);
  EXPECT_EQ(rate.InRate, c.In);
  EXPECT_EQ(rate.OutRate, c.Out);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, RateTextParses,
    testing::Values(TParseCase{"64000", 64000, 64000},
                    TParseCase{"30000:60000", 30000, 60000},
                    TParseCase{" 30000 : \t60000 ", 30000, 60000},
                    TParseCase{"\t64000\r\n", 64000, 64000},
                    TParseCase{"Unlimited", 0, 0},
                    TParseCase{"unLIMITED", 0, 0},
                    TParseCase{"Unlimited:64000", 0, 64000},
                    TParseCase{"64000:unlimited", 64000, 0},
                    TParseCase{"1200", 1200, 1200},
                    TParseCase{"1000000000", 1000000000, 1000000000},
                    TParseCase{"+1200", 1200, 1200},
                    TParseCase{"0001200", 1200, 1200}));

struct TRejectCase {
  const char* Text;
  const char* Message;
};

void PrintTo(const TRejectCase& c, std::ostream* out) { *out << '"' << c.Text << '"'; }

class RateTextRejects : public testing::TestWithParam<TRejectCase> {};

TEST_P(RateTextRejects, WithTheMessageOfTheFirstBadValue) {
  const TRejectCase& c = GetParam();
  TShapingRate rate("name", "5000:7000");
  try {
    rate.ParseText(c.Text);
    FAIL() << "accepted \"" << c.Text << "\"";
  } catch (const EShapingRateFormat& e) {
    EXPECT_STREQ(e.what(), c.Message);
  }
  // A failed parse leaves the rates as they were.
  EXPECT_EQ(rate.InRate, 5000);
  EXPECT_EQ(rate.OutRate, 7000);
}

#define RANGE(v) "Invalid rate value: " v ". Must be between 1200 and 1000000000."
INSTANTIATE_TEST_SUITE_P(
    Texts, RateTextRejects,
    testing::Values(TRejectCase{"0", RANGE("0")},
                    TRejectCase{"1199", RANGE("1199")},
                    TRejectCase{"1000000001", RANGE("1000000001")},
                    TRejectCase{"-64000", RANGE("-64000")},
                    TRejectCase{"99999999999999999999999", RANGE("99999999999999999999999")},
                    TRejectCase{"abc", "Invalid rate format: abc"},
                    TRejectCase{"", "Invalid rate format: "},
                    TRejectCase{"  ", "Invalid rate format: "},
                    TRejectCase{"+", "Invalid rate format: +"},
                    TRejectCase{"64 000", "Invalid rate format: 64 000"},
                    TRejectCase{"64000.5", "Invalid rate format: 64000.5"},
                    TRejectCase{"30000:60000:90000", "Invalid rate format: 60000:90000"},
                    TRejectCase{":64000", "Invalid rate format: "},
                    TRejectCase{"64000:", "Invalid rate format: "},
                    // incoming is read first: its failure is the one reported
                    TRejectCase{"abc:0", "Invalid rate format: abc"},
                    TRejectCase{"64000:0", RANGE("0")}));
#undef RANGE

struct TTextFormsCase {
  int32_t In;
  int32_t Out;
  const char* Storage;
  const char* Display;
};

void PrintTo(const TTextFormsCase& c, std::ostream* out) { *out << c.In << ":" << c.Out; }

class RateTextForms : public testing::TestWithParam<TTextFormsCase> {};

TEST_P(RateTextForms, StorageAndDisplayAndTheRoundTrip) {
  const TTextFormsCase& c = GetParam();
  TShapingRate rate;
  rate.InRate = c.In;
  rate.OutRate = c.Out;
  EXPECT_EQ(rate.StorageText(), c.Storage);
  EXPECT_EQ(rate.DisplayText(), c.Display);
  const TShapingRate back("again", rate.StorageText());
  EXPECT_EQ(back.InRate, c.In);
  EXPECT_EQ(back.OutRate, c.Out);
}

INSTANTIATE_TEST_SUITE_P(
    Rates, RateTextForms,
    testing::Values(TTextFormsCase{30000, 60000, "30000:60000", "30.0 kbit/s : 60.0 kbit/s"},
                    TTextFormsCase{64000, 64000, "64000", "64.0 kbit/s"},
                    TTextFormsCase{0, 64000, "Unlimited:64000", "Unlimited : 64.0 kbit/s"},
                    TTextFormsCase{64000, 0, "64000:Unlimited", "64.0 kbit/s : Unlimited"},
                    TTextFormsCase{0, 0, "Unlimited", "Unlimited"},
                    TTextFormsCase{1500000, 1500000, "1500000", "1.50 Mbit/s"},
                    TTextFormsCase{1200, 1000000000, "1200:1000000000", "1.20 kbit/s : 1.00 Gbit/s"}));

TEST(ShapingRate, OnlyTheExactNameUnlimitedIsTheUnlimitedEntry) {
  EXPECT_TRUE(TShapingRate("Unlimited", "64000").IsUnlimited());  // the rates are not looked at
  EXPECT_FALSE(TShapingRate("unlimited", "Unlimited").IsUnlimited());
  EXPECT_FALSE(TShapingRate("Unlimited ", "Unlimited").IsUnlimited());
}

struct TBitRateCase {
  uint32_t Value;
  const char* Text;
};

void PrintTo(const TBitRateCase& c, std::ostream* out) { *out << c.Value; }

class BitRateFormats : public testing::TestWithParam<TBitRateCase> {};

TEST_P(BitRateFormats, WithThreeSignificantDigits) {
  EXPECT_EQ(FormatBitRate(GetParam().Value), GetParam().Text);
}

INSTANTIATE_TEST_SUITE_P(
    Values, BitRateFormats,
    testing::Values(TBitRateCase{0, "0 bit/s"}, TBitRateCase{999, "999 bit/s"},
                    TBitRateCase{1000, "1.00 kbit/s"}, TBitRateCase{14400, "14.4 kbit/s"},
                    TBitRateCase{99999, "100.0 kbit/s"},  // 99.999 rounds up but keeps its pattern
                    TBitRateCase{100000, "100 kbit/s"}, TBitRateCase{850000, "850 kbit/s"},
                    TBitRateCase{999999, "1000 kbit/s"}, TBitRateCase{1000000, "1.00 Mbit/s"},
                    TBitRateCase{1500000, "1.50 Mbit/s"}, TBitRateCase{10000000, "10.0 Mbit/s"},
                    TBitRateCase{1000000000, "1.00 Gbit/s"},
                    TBitRateCase{4294967295u, "4.29 Gbit/s"}));

// Makes a German numeric locale available for one test: from the system's
// compiled locales, or compiled into a temporary folder when localedef is
// there. Skips the test when neither works.
class GermanNumericLocale : public testing::Test {
 protected:
  void SetUp() override {
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8")) return;
    FDir = std::filesystem::temp_directory_path() / ("ot-locale-" + std::to_string(getpid()));
    std::filesystem::create_directories(FDir);
    const std::string command =
        "localedef -i de_DE -f UTF-8 '" + (FDir / "de_DE.UTF-8").string() + "' >/dev/null 2>&1";
    if (std::system(command.c_str()) == 0) {
      setenv("LOCPATH", FDir.c_str(), 1);
      if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8")) return;
    }
    GTEST_SKIP() << "no de_DE.UTF-8 locale and none could be compiled (localedef)";
  }
  void TearDown() override {
    std::setlocale(LC_NUMERIC, "C");
    unsetenv("LOCPATH");
    if (!FDir.empty()) std::filesystem::remove_all(FDir);
  }

 private:
  std::filesystem::path FDir;
};

TEST_F(GermanNumericLocale, BitRatesUseTheLocalesDecimalSeparator) {
  EXPECT_EQ(FormatBitRate(14400), "14,4 kbit/s");
  EXPECT_EQ(FormatBitRate(1500000), "1,50 Mbit/s");
  EXPECT_EQ(FormatBitRate(850000), "850 kbit/s");
  // Storage text stays plain digits, whatever the locale.
  TShapingRate rate;
  rate.InRate = 30000;
  rate.OutRate = 60000;
  EXPECT_EQ(rate.StorageText(), "30000:60000");
  EXPECT_EQ(rate.DisplayText(), "30,0 kbit/s : 60,0 kbit/s");
}

std::vector<std::string> NamesOf(const TShapingRateTable& table) {
  std::vector<std::string> names;
  for (size_t i = 0; i < table.Count(); ++i) names.push_back(table[i].Name);
  return names;
}

TEST(ShapingRateTable, BuiltInRatesInOrderAndSortedWithUnlimitedFirst) {
  TShapingRateTable table;
  table.Add(TShapingRate("stale", "5000"));
  table.LoadBuiltInRates();
  const std::vector<std::string> speeds = {
      "14.4 Kbps (modem)", "33.6 Kbps (modem)", "48.0 Kbps (modem)", "56.0 Kbps (modem)",
      "64 Kbps (single channel ISDN)", "128 Kbps (dual channel ISDN)", "256 Kbps (DSL, Frame Relay)",
      "384 Kbps (DSL)", "768 Kbps (DSL)", "1.5 Mbps (T1, DSL, Cable modem)",
      "2 Mbps (DSL, cable modem)", "10 Mbps (DSL, cable modem, LAN)"};
  std::vector<std::string> loaded = speeds;
  loaded.push_back("Unlimited");
  EXPECT_EQ(NamesOf(table), loaded);
  const std::vector<int32_t> bits = {14400, 33600, 48000, 56000, 64000, 128000,
                                     256000, 384000, 768000, 1500000, 2000000, 10000000};
  for (size_t i = 0; i < bits.size(); ++i) {
    EXPECT_EQ(table[i].InRate, bits[i]) << speeds[i];
    EXPECT_EQ(table[i].OutRate, bits[i]) << speeds[i];
  }
  EXPECT_TRUE(table[12].IsUnlimited());
  EXPECT_EQ(table[12].InRate + table[12].OutRate, 0);

  table.Sort();
  std::vector<std::string> sorted = {"Unlimited"};
  sorted.insert(sorted.end(), speeds.begin(), speeds.end());
  EXPECT_EQ(NamesOf(table), sorted);
  EXPECT_EQ(table.IndexOfName("Unlimited"), 0);
}

TEST(ShapingRateTable, SortsBySumOfBothLimits) {
  TShapingRateTable table;
  table.Add(TShapingRate("big", "1000000000"));  // the largest sum there is
  table.Add(TShapingRate("asymmetric", "1200:2400"));
  table.Add(TShapingRate("mirrored", "2400:1200"));
  table.Add(TShapingRate("none", "Unlimited"));
  table.Add(TShapingRate("Unlimited", "Unlimited"));
  table.Add(TShapingRate("half open", "Unlimited:5000"));
  table.Sort();
  // The unlimited entry comes ahead of another without a limit; other equal
  // sums keep the order they had.
  EXPECT_EQ(NamesOf(table),
            (std::vector<std::string>{"Unlimited", "none", "asymmetric", "mirrored", "half open", "big"}));
  table.Add(TShapingRate("mirrored again", "2400:1200"));
  table.Sort();
  EXPECT_EQ(table[4].Name, "mirrored again");

  TShapingRate huge;
  huge.InRate = huge.OutRate = INT32_MAX;  // beyond what the parser allows: no overflow either
  EXPECT_GT(TShapingRateTable::Compare(huge, table[6]), 0);
  EXPECT_LT(TShapingRateTable::Compare(table[0], huge), 0);
  EXPECT_EQ(TShapingRateTable::Compare(table[2], table[3]), 0);
}

TEST(ShapingRateTable, ListOperationsAndNameLookup) {
  TShapingRateTable table;
  table.Add(TShapingRate("a", "5000"));
  table.Add(TShapingRate("b", "6000"));
  table.Add(TShapingRate("b", "7000"));  // duplicates are kept
  EXPECT_EQ(table.IndexOfName("b"), 1);  // the first match
  EXPECT_EQ(table.IndexOfName("B"), -1);  // case-sensitive
  EXPECT_EQ(table.IndexOfName("c"), -1);
  table.Replace(1, TShapingRate("c", "8000"));
  EXPECT_EQ(table.IndexOfName("b"), 2);
  table.Delete(0);
  EXPECT_EQ(table.Count(), 2u);
  EXPECT_EQ(table[0].Name, "c");
  EXPECT_THROW(table.Delete(2), EAssertionFailed);
  EXPECT_THROW(table.Replace(5, TShapingRate()), EAssertionFailed);
  table.Clear();
  EXPECT_EQ(table.Count(), 0u);
}

}  // namespace
