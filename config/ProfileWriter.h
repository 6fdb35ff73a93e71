#pragma once
// The profile document: everything the main window's controls hold, with the
// filter rule and its address groups, as XML under "simulator-profile".

#include <QByteArray>

#include "settings/SettingsModel.h"
#include "filter/FilterSettings.h"

// The document's bytes, exactly as a profile file holds them. The caller
// holds SettingsLock over the filter while this runs.
QByteArray WriteProfileDocument(const TSettingsModel& model, const TFilterSettings& filter);
