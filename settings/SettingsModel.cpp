#include "settings/SettingsModel.h"

#include "settings/BitErrorValue.h"
#include "settings/SettingsDescription.h"

TSettingsModel::TSettingsModel() {
  for (const TSettingDescription& setting : SettingDescriptions()) SetNumber(setting, *this, setting.Default);
}

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

void TSettingsModel::SelectRate(const TShapingRate& rate) {
  if (Rates.IndexOfName(rate.Name) < 0) {
    Rates.Add(rate);
    RefreshRateList();
  }
  RateIndex = Rates.IndexOfName(rate.Name);
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
