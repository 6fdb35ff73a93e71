#pragma once
// ApplySettings as the owner runs it: one part of the model, or all of it,
// into the engine. Errors never reach the caller; their message goes to the
// owner's error box (standard error when headless).

#include "engine/Engine.h"
#include "engine/ErrorChannel.h"
#include "engine/SettingsApply.h"
#include "engine/Simulation.h"
#include "settings/SettingsModel.h"

// True when every step of the part was applied.
bool ApplyModelSettings(TEngine& engine, TSettingsPart part, const TSettingsModel& model, IErrorSink& errors);

// The engine's share scales from the model's sliders; done while no
// simulation runs.
void ApplyResolutions(TEngine& engine, const TSettingsModel& model);

// What a simulation reads of the capture fields when it starts.
TCaptureSettings CaptureSettingsOf(const TSettingsModel& model);
