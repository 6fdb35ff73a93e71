#pragma once
// Reads a profile document into the settings model and the filter. Sections
// are found by name; a missing section leaves its controls as they were, a
// present one with a missing or empty value sets that control to the value's
// default.

#include <QByteArray>
#include <mutex>
#include <string>
#include <vector>

#include "settings/SettingsModel.h"
#include "filter/FilterSettings.h"

// The adapter list as the profile's "cardindex" sees it: a position, or one
// of these texts.
struct TAdapterChoices {
  std::vector<std::string> Texts;
  int DefaultIndex = 0;
};

// False for empty input (nothing is read). Throws std::runtime_error with
// the message to show behind "Unable to open the profile: " when the bytes
// are not a profile or a value cannot be converted, and EProfileRefused
// (config/ProfileRefused.h) when a value reads but cannot be used. A read
// that throws changes neither the model nor the filter. The filter is read
// and replaced under filterLock.
bool ReadProfileDocument(const QByteArray& bytes, TSettingsModel& model, const TAdapterChoices& adapters,
                         TFilterSettings& filter, std::recursive_mutex& filterLock);
