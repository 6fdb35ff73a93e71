#pragma once
// ApplySettings: copies what the owner's controls hold into the engine, one
// part at a time or all of them, live while a simulation runs.

#include "engine/Engine.h"
#include "settings/SettingsModel.h"
#include "settings/SettingsPart.h"

// Applies the part (every part for spAll). Numbers are clamped to their
// controls' ranges; a choice outside its options is the internal error it
// is. The first error ends the apply and is thrown with the message to show;
// fields copied before it keep their new values and every lock is released.
// With spBlocking alone the port list is checked on a scratch list first, so
// a bad list leaves the live one as it was.
void ApplySettings(TEngine& engine, TSettingsPart part, const TSettingsModel& model);
