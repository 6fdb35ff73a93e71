#include "config/Presets.h"

#include <cstdio>
#include <string>

const TPresetItem* FindPreset(std::string_view name) {
  for (const TPresetItem& preset : kPresets) {
    if (preset.Name == name) return &preset;
  }
  return nullptr;
}

namespace {

void SelectPresetRate(TSettingsModel& model, const TPresetItem& preset) {
  const std::string name(preset.Name);
  if (model.Rates.IndexOfName(name) < 0) {
    char text[32];
    std::snprintf(text, sizeof text, "%u:%u", static_cast<unsigned>(preset.InRate),
                  static_cast<unsigned>(preset.OutRate));
    model.Rates.Add(TShapingRate(name, text));
    model.RefreshRateList();
  }
  model.RateIndex = model.Rates.IndexOfName(name);
}

}  // namespace

void ApplyPreset(TSettingsModel& model, const TPresetItem& preset) {
  SelectPresetRate(model, preset);

  model.LatencyEnabled = preset.Latency != 0;
  model.DelayType = 0;
  model.DelayFrom = preset.Latency;
  model.DelayTo = preset.Latency;
  model.LatencyPercent = 100;

  model.LossEnabled = preset.Loss != 0;
  model.LossType = 0;
  model.LossPosition = model.LossRange().Clamp(preset.Loss * 10);
}
