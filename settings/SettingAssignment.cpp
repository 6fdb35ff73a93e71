#include "settings/SettingAssignment.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>

#include "filter/PortBlocking.h"
#include "settings/BitErrorValue.h"
#include "settings/SettingsDescription.h"

namespace {

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

int WholeNumber(const TSettingDescription& setting, const std::string& text) {
  errno = 0;
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || end != text.c_str() + text.size() || errno != 0 || value < INT32_MIN || value > INT32_MAX) {
    throw ESettingRefused(Quoted(setting.Name) + ": '" + text + "' is not a valid integer value");
  }
  return static_cast<int>(value);
}

int BooleanValue(const TSettingDescription& setting, const std::string& text) {
  if (EqualsIgnoringCase(text, "true")) return 1;
  if (EqualsIgnoringCase(text, "false")) return 0;
  try {
    return WholeNumber(setting, text) != 0 ? 1 : 0;
  } catch (const ESettingRefused&) {
    throw ESettingRefused(Quoted(setting.Name) + ": '" + text + "' is not a valid boolean value");
  }
}

void Assign(const TSettingDescription& setting, TSettingsModel& model, const std::string& text, int adapterCount) {
  switch (setting.Kind) {
    case TSettingKind::skText:
      SetText(setting, model, text);
      return;
    case TSettingKind::skBoolean:
      SetNumber(setting, model, BooleanValue(setting, text));
      return;
    default:
      break;
  }
  const int value = WholeNumber(setting, text);
  const TControlRange range = SettingRange(setting, model, adapterCount);
  const bool none = setting.OutOfRange == TOutOfRange::orNothing && value == -1;
  if (!range.Contains(value) && !none) {
    throw ESettingRefused(Quoted(setting.Name) + " must be from " + std::to_string(range.Min) + " to " +
                          std::to_string(range.Max) + ", not " + text);
  }
  SetNumber(setting, model, value);
}

bool TouchesSection(const std::vector<const TSettingDescription*>& touched, std::string_view section) {
  return std::any_of(touched.begin(), touched.end(),
                     [section](const TSettingDescription* setting) { return SectionOf(*setting) == section; });
}

// What only the whole set of values can tell, for the sections that change:
// a value the window holds already and that this request does not touch
// does not refuse it.
void CheckTogether(const TSettingsModel& model, const std::vector<const TSettingDescription*>& touched) {
  if (TouchesSection(touched, "corruption") && !IsValidBitErrorValue(model.CorruptionChoice, model.BitErrorText)) {
    throw ESettingRefused("\"corruption/berval\": '" + model.BitErrorText + "' is not a usable value for " +
                          (model.CorruptionChoice == kCorruptBitRate ? "a number of bit errors (1 to 10000)"
                                                                     : "a bit error ratio (between 0 and 1)"));
  }
  if (!TouchesSection(touched, "blocking")) return;
  try {
    TPortBlocking scratch;
    scratch.SetPortList(model.PortList);
  } catch (const std::exception& error) {
    throw ESettingRefused(std::string("\"blocking/portlist\": ") + error.what());
  }
}

}  // namespace

TSettingAssignment ParseSettingAssignment(const std::string& word) {
  const size_t equals = word.find('=');
  if (equals == std::string::npos || equals == 0) {
    throw ESettingRefused("'" + word + "' is not of the form name=value");
  }
  return {word.substr(0, equals), word.substr(equals + 1)};
}

std::vector<TSettingsPart> AssignSettings(TSettingsModel& model, const std::vector<TSettingAssignment>& assignments,
                                          int adapterCount) {
  TSettingsModel changed = model;
  std::vector<const TSettingDescription*> touched;
  for (const TSettingAssignment& assignment : assignments) {
    const TSettingDescription* setting = FindSetting(assignment.Name);
    if (setting == nullptr) throw ESettingRefused("There is no setting named " + Quoted(assignment.Name));
    Assign(*setting, changed, assignment.Value, adapterCount);
    touched.push_back(setting);
  }
  CheckTogether(changed, touched);
  changed.CheckBitErrorValue();
  model = std::move(changed);

  std::vector<TSettingsPart> parts;
  for (const TSettingDescription& setting : SettingDescriptions()) {
    if (!setting.Part || std::find(touched.begin(), touched.end(), &setting) == touched.end()) continue;
    if (std::find(parts.begin(), parts.end(), *setting.Part) == parts.end()) parts.push_back(*setting.Part);
  }
  return parts;
}
