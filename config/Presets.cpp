#include "config/Presets.h"

#include <string>

#include "settings/SettingsDescription.h"

const TPresetItem* FindPreset(std::string_view name) {
  for (const TPresetItem& preset : kPresets) {
    if (preset.Name == name) return &preset;
  }
  return nullptr;
}

void ApplyPreset(TSettingsModel& model, const TPresetItem& preset) {
  model.SelectRate(TShapingRate(std::string(preset.Name), preset.InRate, preset.OutRate));

  model.LatencyEnabled = preset.Latency != 0;
  model.DelayType = 0;
  model.DelayFrom = preset.Latency;
  model.DelayTo = preset.Latency;
  model.LatencyPercent = 100;

  model.LossEnabled = preset.Loss != 0;
  model.LossType = 0;
  model.LossPosition = FitSetting(SettingOf(&TSettingsModel::LossPosition), model, preset.Loss * 10);
}
