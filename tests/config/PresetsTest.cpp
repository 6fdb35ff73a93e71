#include "config/Presets.h"

#include <gtest/gtest.h>

#include <clocale>

#include "settings/FormatBitRate.h"

namespace {

TEST(Presets, NineInListOrderWithTheirRates) {
  std::setlocale(LC_NUMERIC, "C");
  ASSERT_EQ(kPresets.size(), 9u);
  EXPECT_EQ(kPresets[0].Name, "3G, good signal");
  EXPECT_EQ(FormatBitRate(kPresets[0].InRate), "850 kbit/s");
  EXPECT_EQ(FormatBitRate(kPresets[0].OutRate), "420 kbit/s");
  EXPECT_EQ(kPresets[0].Latency, 90);
  const TPresetItem* wifi = FindPreset("WiFi, good signal");
  ASSERT_NE(wifi, nullptr);
  EXPECT_EQ(FormatBitRate(wifi->InRate), "45.0 Mbit/s");
  EXPECT_EQ(FormatBitRate(wifi->OutRate), "40.0 Mbit/s");
  EXPECT_EQ(kPresets[8].Name, "WiFi, lossy conditions");
  EXPECT_EQ(FindPreset("wifi, good signal"), nullptr);
}

class PresetApply : public testing::Test {
 protected:
  void SetUp() override { Model.SetDefaults(0); }
  TSettingsModel Model;
};

TEST_F(PresetApply, EdgeLossyAddsItsRateOnceAndSetsLatencyAndLoss) {
  const TPresetItem& edge = *FindPreset("Edge, lossy conditions");
  Model.DuplicationEnabled = true;
  Model.Direction = 0;
  ApplyPreset(Model, edge);
  ApplyPreset(Model, edge);

  ASSERT_EQ(Model.Rates.Count(), 14u);
  ASSERT_GE(Model.RateIndex, 0);
  const TShapingRate& rate = Model.Rates[static_cast<size_t>(Model.RateIndex)];
  EXPECT_EQ(rate.Name, "Edge, lossy conditions");
  EXPECT_EQ(rate.InRate, 240000);
  EXPECT_EQ(rate.OutRate, 200000);
  EXPECT_TRUE(Model.LatencyEnabled);
  EXPECT_EQ(Model.DelayType, 0);
  EXPECT_EQ(Model.DelayFrom, 420);
  EXPECT_EQ(Model.DelayTo, 420);
  EXPECT_EQ(Model.LatencyPercent, 100);
  EXPECT_TRUE(Model.LossEnabled);
  EXPECT_EQ(Model.LossType, 0);
  EXPECT_EQ(Model.LossPosition, 10);
  // What presets do not touch stays.
  EXPECT_TRUE(Model.DuplicationEnabled);
  EXPECT_EQ(Model.Direction, 0);
}

TEST_F(PresetApply, ZeroLatencyOrLossClearsTheirSwitches) {
  Model.LatencyEnabled = Model.LossEnabled = true;
  ApplyPreset(Model, *FindPreset("WiFi, good signal"));
  EXPECT_FALSE(Model.LatencyEnabled);
  Model.LossEnabled = true;
  ApplyPreset(Model, *FindPreset("3G, good signal"));
  EXPECT_FALSE(Model.LossEnabled);
}

TEST_F(PresetApply, AnExistingEntryOfThatNameIsUsedAsItStands) {
  Model.Rates.Add(TShapingRate("3G, good signal", "64000"));
  Model.RefreshRateList();
  ApplyPreset(Model, *FindPreset("3G, good signal"));
  EXPECT_EQ(Model.Rates.Count(), 14u);
  EXPECT_EQ(Model.Rates[static_cast<size_t>(Model.RateIndex)].InRate, 64000);
}

}  // namespace
