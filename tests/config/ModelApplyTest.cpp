#include "config/ModelApply.h"

#include <gtest/gtest.h>

#include "SettingsTestSupport.h"

namespace {

class ModelApply : public testing::Test {
 protected:
  void SetUp() override { Model.SetDefaults(0); }

  bool Apply(TSettingsPart part) { return ApplyModelSettings(Rig.Engine, part, Model, Errors); }
  TEngineSettings& Live() { return Rig.Engine.Settings; }

  TEngineRig Rig;
  TSettingsModel Model;
  TCollectedErrors Errors;
};

TEST_F(ModelApply, RatesAreBytesPerSecondAndUnlimitedLeavesADirectionFree) {
  Model.Rates.Add(TShapingRate("odd", "1500:Unlimited"));
  Model.RefreshRateList();
  Model.RateIndex = Model.Rates.IndexOfName("odd");
  ASSERT_TRUE(Apply(TSettingsPart::spRate));
  EXPECT_EQ(Rig.Engine.State.RateIn, 187);
  EXPECT_EQ(Rig.Engine.State.RateOut, 0);
}

TEST_F(ModelApply, TheEngineGetsValuesClampedToTheirControls) {
  Model.LatencyEnabled = Model.LossEnabled = Model.ReorderingEnabled = true;
  Model.DelayFrom = 70000;
  Model.Correlation = -4;
  Model.LossPosition = 5000;
  Model.ReorderingGap = 0;
  ASSERT_TRUE(Apply(TSettingsPart::spAll));
  EXPECT_EQ(Live().Latency.DelayFrom, 60000u);
  EXPECT_EQ(Live().Latency.Correlation, 0.0);
  EXPECT_EQ(Live().Loss.Value, 1000u);
  EXPECT_EQ(Live().Reordering.Gap, 1u);
}

TEST_F(ModelApply, NoRateSelectedStopsTheApplyWithItsMessage) {
  Model.RateIndex = -1;
  Model.LatencyEnabled = true;
  EXPECT_FALSE(Apply(TSettingsPart::spAll));
  ASSERT_EQ(Errors.Messages.size(), 1u);
  EXPECT_EQ(Errors.Messages[0], "Unable to set the transfer rate");
  // The rate is the first step, so nothing after it was copied.
  EXPECT_FALSE(Live().Latency.Enabled);
}

TEST_F(ModelApply, BurstBoundsAreOrderedAndAnyLossChangeEndsABurst) {
  Model.LossEnabled = true;
  Model.LossLo = 50;
  Model.LossHi = 10;
  Live().Loss.BurstLeft = 7;
  ASSERT_TRUE(Apply(TSettingsPart::spLoss));
  EXPECT_EQ(Live().Loss.BurstLo, 10u);
  EXPECT_EQ(Live().Loss.BurstHi, 50u);
  EXPECT_EQ(Live().Loss.BurstLeft, 0u);
}

TEST_F(ModelApply, EveryPartAppliesTheDirectionButOnlyItsOwnFields) {
  Model.Direction = 1;
  Model.LatencyEnabled = true;
  Model.DuplicationEnabled = true;
  ASSERT_TRUE(Apply(TSettingsPart::spDuplication));
  EXPECT_EQ(Live().Direction, TTrafficDirection::tdOutgoing);
  EXPECT_TRUE(Live().Duplication.Enabled);
  EXPECT_FALSE(Live().Latency.Enabled);
}

TEST_F(ModelApply, LatencyCorrelationIsAFraction) {
  Model.LatencyEnabled = true;
  Model.DelayType = 1;
  Model.Correlation = 35;
  ASSERT_TRUE(Apply(TSettingsPart::spLatency));
  EXPECT_EQ(Live().Latency.Kind, TLatencyKind::lkRandom);
  EXPECT_DOUBLE_EQ(Live().Latency.Correlation, 0.35);
  EXPECT_EQ(Live().Latency.Percent, 100u);
}

TEST_F(ModelApply, BitErrorTextThatIsNoNumberGivesNoErrors) {
  Model.CorruptionEnabled = true;
  Model.CorruptionChoice = kCorruptBitRate;
  Model.BitErrorText = "abc";
  Model.BitErrorUnit = 2;
  ASSERT_TRUE(Apply(TSettingsPart::spCorruption));
  EXPECT_EQ(Live().Corruption.Type, TCorruptionType::ctBitErrors);
  EXPECT_EQ(Live().Corruption.Value, 0u);
  EXPECT_EQ(Live().Corruption.Unit, TBitErrorUnit::buHour);
}

TEST_F(ModelApply, BadPortListAloneLeavesTheLiveListAndReportsTheParser) {
  Model.BlockingEnabled = true;
  Model.PortList = "80";
  ASSERT_TRUE(Apply(TSettingsPart::spBlocking));
  ASSERT_EQ(Live().Blocking.Ports.Count(), 1u);

  Model.BlockingEnabled = false;
  Model.PortList = "80, 70000";
  EXPECT_FALSE(Apply(TSettingsPart::spBlocking));
  ASSERT_EQ(Errors.Messages.size(), 1u);
  EXPECT_FALSE(Errors.Messages[0].empty());
  EXPECT_TRUE(Live().Blocking.Enabled);
  EXPECT_EQ(Live().Blocking.Ports.Find(80), kBothProtocols);
}

TEST_F(ModelApply, ResolutionsReachTheEngine) {
  Model.SetResolutions(TPercentageResolution{10000, 1000, 500, 1000});
  ApplyResolutions(Rig.Engine, Model);
  EXPECT_EQ(Rig.Engine.PercentageResolution.Loss, 10000u);
  EXPECT_EQ(Rig.Engine.PercentageResolution.Reordering, 500u);
}

}  // namespace
