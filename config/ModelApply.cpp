#include "config/ModelApply.h"

#include <exception>

bool ApplyModelSettings(TEngine& engine, TSettingsPart part, const TSettingsModel& model, IErrorSink& errors) {
  try {
    ApplySettings(engine, part, model);
    return true;
  } catch (const std::exception& error) {
    errors.ShowError(error.what());
    return false;
  }
}

void ApplyResolutions(TEngine& engine, const TSettingsModel& model) {
  TLockGuard lock(engine.Locks.EngineLock);
  engine.PercentageResolution = model.Resolution;
}

TCaptureSettings CaptureSettingsOf(const TSettingsModel& model) {
  return TCaptureSettings{model.CaptureEnabled, model.CaptureBefore, model.CaptureAfter, model.CaptureMode};
}
