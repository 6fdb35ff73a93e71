#pragma once
// SaveProfile and LoadProfile as the owner calls them: a profile file, or,
// with an empty name, the last configuration in the persistent settings.
// Both report their own errors on the owner's error box.

#include <QSettings>
#include <string>

#include "config/ProfileReader.h"
#include "settings/SettingsModel.h"
#include "engine/Engine.h"
#include "engine/ErrorChannel.h"

// Writes the model and the engine's filter. Errors are shown as "Unable to
// save the profile: " + the reason. A file is replaced only once the whole
// document is written, so a failed save never leaves half a profile behind.
void SaveProfile(const std::string& fileName, const TSettingsModel& model, TEngine& engine, QSettings& store,
                 IErrorSink& errors);

// True only when a document was read and put into the model and the engine's
// filter completely; otherwise neither is changed. Errors are shown as
// "Unable to open the profile: " + the reason, and a value that reads but
// cannot be used as "Unable to open the profile: " + the profile's name
// (quoted, or "the last configuration") + ": " + what is wrong. An empty
// file or a missing last configuration gives false without a message. The
// caller applies the settings afterwards.
bool LoadProfile(const std::string& fileName, TSettingsModel& model, TEngine& engine,
                 const TAdapterChoices& adapters, QSettings& store, IErrorSink& errors);

// LoadProfile's outcome with an empty input told apart from a failure, for
// callers that go on with other settings only when there was nothing to read.
enum class TProfileLoad { plRead, plNothing, plFailed };
TProfileLoad TryLoadProfile(const std::string& fileName, TSettingsModel& model, TEngine& engine,
                            const TAdapterChoices& adapters, QSettings& store, IErrorSink& errors);
