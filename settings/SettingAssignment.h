#pragma once
// Settings changed by name, as the control channel changes them: a list of
// "name=value" words checked against the settings description and applied
// all together or not at all.

#include <stdexcept>
#include <string>
#include <vector>

#include "settings/SettingsModel.h"
#include "settings/SettingsPart.h"

// A value that cannot be used; the message names the setting and says why.
class ESettingRefused : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct TSettingAssignment {
  std::string Name;
  std::string Value;
};

// "loss/enabled=1" as name and value; refused without "=" or a name.
TSettingAssignment ParseSettingAssignment(const std::string& word);

// Puts every value into the model and returns the parts to apply, each once,
// in the order the description lists them. Numbers must be whole and inside
// the range the control has (a list position may be -1 for none), booleans
// are "true", "false" or a number, texts are taken as they are; a bit-error
// value and a port list must be usable once all values are in. The first
// refused value throws ESettingRefused and leaves the model as it was.
std::vector<TSettingsPart> AssignSettings(TSettingsModel& model, const std::vector<TSettingAssignment>& assignments,
                                          int adapterCount);
