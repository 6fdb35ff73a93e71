#include "settings/SettingsModel.h"

#include <gtest/gtest.h>

#include <clocale>

#include "settings/BitErrorValue.h"
#include "settings/SettingsDescription.h"
#include "settings/SettingsLabels.h"

namespace {

TEST(OrdinalSuffix, OnlyElevenToThirteenThemselvesAreExceptions) {
  const std::pair<int, const char*> cases[] = {{1, "st"},   {2, "nd"},   {3, "rd"},   {4, "th"},  {10, "th"},
                                               {11, "th"},  {12, "th"},  {13, "th"},  {21, "st"}, {22, "nd"},
                                               {23, "rd"},  {111, "st"}, {112, "nd"}, {113, "rd"}, {1000, "th"}};
  for (const auto& [n, suffix] : cases) EXPECT_EQ(OrdinalSuffix(n), suffix) << n;
}

TEST(SliderLabels, FollowScaleAndMode) {
  struct TCase {
    std::string Label;
    const char* Expected;
  };
  const TCase cases[] = {
      {LossLabel(1, 1000, false), "Loss 0.1% packets"},
      {LossLabel(1000, 1000, false), "Loss 100.0% packets"},
      {LossLabel(1, 10000, false), "Loss 0.01% packets"},
      {LossLabel(7, 100, false), "Loss 7% packets"},
      {LossLabel(2, 1000, true), "Lose every 2nd packet"},
      {LossLabel(12, 1000, true), "Lose every 12th packet"},
      {LossLabel(22, 1000, true), "Lose every 22nd packet"},
      {LossLabel(112, 1000, true), "Lose every 112nd packet"},
      {DuplicationLabel(25, 1000, false), "Duplicate 2.5% packets"},
      {DuplicationLabel(3, 1000, true), "Duplicate every 3rd packet"},
      {ReorderingLabel(500, 1000), "Reorder 50.0% packets"},
      {CorruptionLabel(1, 1000), "Corrupt 0.1% packets"},
      {CorruptionLabel(1, 10000), "Corrupt 0.0% packets"},
      {LatencyLabel(100), "Simulate latency for 100% of packets"},
      // A scale that is no multiple of 100 still ends at 100 %.
      {LossLabel(1050, 1050, false), "Loss 100.0% packets"},
  };
  for (const TCase& c : cases) EXPECT_EQ(c.Label, c.Expected);
}

TEST(FieldLabels, FollowChoices) {
  EXPECT_EQ(BitErrorFieldLabel(kCorruptPercent), "");
  EXPECT_EQ(BitErrorFieldLabel(kCorruptBitRate), "Number of bit errors:");
  EXPECT_EQ(BitErrorFieldLabel(kCorruptBitRatio), "Error ratio, e.g. 10e-7:");
  EXPECT_EQ(DelayFromLabel(0), "Delay (ms)");
  EXPECT_EQ(DelayFromLabel(1), "Delay from (ms)");
}

TEST(BitErrorValue, RateAndRatioBounds) {
  std::setlocale(LC_NUMERIC, "C");
  struct TCase {
    int Choice;
    const char* Text;
    bool Valid;
  };
  const TCase cases[] = {
      {kCorruptBitRate, "1", true},       {kCorruptBitRate, "10000", true}, {kCorruptBitRate, "0", false},
      {kCorruptBitRate, "10001", false},  {kCorruptBitRate, "abc", false},  {kCorruptBitRate, "", false},
      {kCorruptBitRate, "1.5", false},    {kCorruptBitRatio, "1e-7", true}, {kCorruptBitRatio, "10e-7", true},
      {kCorruptBitRatio, "0.5", true},    {kCorruptBitRatio, "1", false},   {kCorruptBitRatio, "0", false},
      {kCorruptBitRatio, "abc", false},   {kCorruptBitRatio, "nan", false}, {kCorruptBitRatio, "-0.1", false},
      {kCorruptPercent, "anything", true},
  };
  for (const TCase& c : cases) EXPECT_EQ(IsValidBitErrorValue(c.Choice, c.Text), c.Valid) << c.Choice << " " << c.Text;
}

TEST(SettingsModel, CheckBitErrorValueMarksTheField) {
  TSettingsModel model;
  model.CorruptionChoice = kCorruptBitRate;
  model.BitErrorText = "abc";
  EXPECT_FALSE(model.CheckBitErrorValue());
  EXPECT_TRUE(model.BitErrorInvalid);
  model.BitErrorText = "10000";
  EXPECT_TRUE(model.CheckBitErrorValue());
  EXPECT_FALSE(model.BitErrorInvalid);
}

TEST(SettingsModel, DefaultsLoadTheBuiltInRatesWithUnlimitedChosen) {
  TSettingsModel model;
  model.LossPosition = 500;
  model.SetDefaults(3);
  ASSERT_EQ(model.Rates.Count(), 13u);
  ASSERT_GE(model.RateIndex, 0);
  EXPECT_EQ(model.Rates[static_cast<size_t>(model.RateIndex)].Name, "Unlimited");
  EXPECT_EQ(model.CardIndex, 3);
  EXPECT_EQ(model.LossPosition, 1);
}

TEST(SettingsModel, SelectRateAddsANewEntryAndKeepsAnExistingOne) {
  TSettingsModel model;
  model.SetDefaults(0);
  model.SelectRate(TShapingRate("slow", 8000, 16000));
  ASSERT_EQ(model.Rates.Count(), 14u);
  EXPECT_EQ(model.Rates[static_cast<size_t>(model.RateIndex)].OutRate, 16000);
  model.SelectRate(TShapingRate("slow", 1, 1));
  EXPECT_EQ(model.Rates.Count(), 14u);
  EXPECT_EQ(model.Rates[static_cast<size_t>(model.RateIndex)].OutRate, 16000);
}

TEST(SettingsModel, NewScalesPutSlidersBackToOne) {
  TSettingsModel model;
  model.LossPosition = model.DuplicationPosition = model.ReorderingPosition = model.CorruptionPosition = 700;
  model.SetResolutions(TPercentageResolution{10000, 2000, 3000, 1000});
  EXPECT_EQ(SettingRange(SettingOf(&TSettingsModel::LossPosition), model).Max, 10000);
  EXPECT_EQ(model.LossPosition, 1);
  EXPECT_EQ(model.DuplicationPosition, 1);
  EXPECT_EQ(model.ReorderingPosition, 1);
  EXPECT_EQ(model.CorruptionPosition, 1);
}

}  // namespace
