#include "config/ModelApply.h"

#include <exception>

bool ApplyModelSettings(TEngine& engine, TSettingsPart part, const TSettingsModel& model, IErrorSink& errors) {
  try {
    ApplySettings(engine, part, model.ToControls());
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
