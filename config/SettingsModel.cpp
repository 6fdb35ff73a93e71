#include "config/SettingsModel.h"

#include "config/BitErrorValue.h"

void TSettingsModel::SetDefaults(int defaultAdapterIndex) {
  const TPercentageResolution resolution = Resolution;
  *this = TSettingsModel();
  Resolution = resolution;
  Rates.LoadBuiltInRates();
  RefreshRateList();
  CardIndex = defaultAdapterIndex;
}

void TSettingsModel::RefreshRateList() {
  Rates.Sort();
  const int unlimited = Rates.IndexOfName(std::string(kUnlimitedRateName));
  RateIndex = unlimited >= 0 ? unlimited : (Rates.Count() > 0 ? 0 : -1);
}

void TSettingsModel::SetResolutions(const TPercentageResolution& resolution) {
  Resolution = resolution;
  LossPosition = 1;
  DuplicationPosition = 1;
  ReorderingPosition = 1;
  CorruptionPosition = 1;
}

bool TSettingsModel::CheckBitErrorValue() {
  BitErrorInvalid = !IsValidBitErrorValue(CorruptionChoice, BitErrorText);
  return !BitErrorInvalid;
}

TSettingsControls TSettingsModel::ToControls() const {
  TSettingsControls c;
  c.RateSelected = RateIndex >= 0 && static_cast<size_t>(RateIndex) < Rates.Count();
  if (c.RateSelected) {
    const TShapingRate& rate = Rates[static_cast<size_t>(RateIndex)];
    c.InRate = static_cast<uint32_t>(rate.InRate);
    c.OutRate = static_cast<uint32_t>(rate.OutRate);
  }
  c.Direction = Direction;

  // A slider or spin control never holds a value outside its range, so the
  // engine gets the clamped value whatever was put into the model.
  c.LatencyEnabled = LatencyEnabled;
  c.DelayType = DelayType;
  c.LatencyPercent = static_cast<uint32_t>(kLatencyPercentRange.Clamp(LatencyPercent));
  c.DelayFrom = static_cast<uint32_t>(kDelayRange.Clamp(DelayFrom));
  c.DelayTo = static_cast<uint32_t>(kDelayRange.Clamp(DelayTo));
  c.CorrelationPercent = static_cast<uint32_t>(kCorrelationRange.Clamp(Correlation));

  c.LossEnabled = LossEnabled;
  c.LossType = LossType;
  c.LossValue = static_cast<uint32_t>(LossRange().Clamp(LossPosition));
  c.LossBurst1 = static_cast<uint32_t>(kBurstRange.Clamp(LossLo));
  c.LossBurst2 = static_cast<uint32_t>(kBurstRange.Clamp(LossHi));

  c.DuplicationEnabled = DuplicationEnabled;
  c.DuplicationType = DuplicationType;
  c.DuplicationValue = static_cast<uint32_t>(DuplicationRange().Clamp(DuplicationPosition));

  c.ReorderingEnabled = ReorderingEnabled;
  c.ReorderingValue = static_cast<uint32_t>(ReorderingRange().Clamp(ReorderingPosition));
  c.ReorderingGap = static_cast<uint32_t>(kGapRange.Clamp(ReorderingGap));

  c.CorruptionEnabled = CorruptionEnabled;
  c.CorruptionChoice = CorruptionChoice;
  c.CorruptionValue = static_cast<uint32_t>(CorruptionRange().Clamp(CorruptionPosition));
  c.BitErrorText = BitErrorText;
  c.BitErrorUnit = BitErrorUnit;

  c.BlockingEnabled = BlockingEnabled;
  c.PortList = PortList;
  return c;
}

TCaptureSettings TSettingsModel::CaptureValues() const {
  return TCaptureSettings{CaptureEnabled, CaptureBefore, CaptureAfter, CaptureMode};
}
