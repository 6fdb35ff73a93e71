#pragma once
// Every setting of the model described once: its name, which is also its
// place in a profile ("section/element"), the model field it lives in, its
// range and default, the part that applies it, what a profile without it
// means, the options of a choice, and the hint its control shows. The
// profile reader and writer, clamping, the presets, the window's controls
// and the control channel all work from this table, so a new setting is one
// entry here plus its meaning in the engine.

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "settings/ControlRange.h"
#include "settings/SettingsModel.h"
#include "settings/SettingsPart.h"

enum class TSettingKind : uint8_t {
  skBoolean,  // a check box; profiles write "true" or "false"
  skInteger,  // a slider or a spin control
  skChoice,   // a group of options or a list; the value is the position
  skText,     // a text field, stored as typed
  skAdapter,  // the adapter list position; a profile may name the adapter
};

// Where the range of an integer setting comes from when it is not fixed.
enum class TRangeSource : uint8_t {
  rsFixed,
  rsLossScale,  // 1 .. the model's share scale of that impairment
  rsDuplicationScale,
  rsReorderingScale,
  rsCorruptionScale,
  rsRateList,     // a position in the rate table
  rsAdapterList,  // a position in the adapter list
};

// What a value outside the range becomes when it is read.
enum class TOutOfRange : uint8_t {
  orClamp,    // the nearest end, as a slider or spin control holds it
  orNothing,  // -1: the list selects nothing
  orRefuse,   // an internal error: no control can hold it
};

using TSettingField = std::variant<bool TSettingsModel::*, int TSettingsModel::*, std::string TSettingsModel::*>;

struct TSettingDescription {
  std::string_view Name;  // "latency/delayfrom": the profile's section and element
  TSettingKind Kind;
  TSettingField Field;
  // The part a change applies; none for what is read only at the next start
  // (the adapter, the capture files).
  std::optional<TSettingsPart> Part;
  int Default;       // a new window's value (booleans 0 or 1; unused for text)
  int WhenMissing;   // what a profile's missing or empty element means
  TControlRange Range;  // for rsFixed; choices run over their options
  TRangeSource RangeSource = TRangeSource::rsFixed;
  TOutOfRange OutOfRange = TOutOfRange::orClamp;
  std::span<const std::string_view> Choices = {};  // the options' captions, in order
  std::string_view Hint = {};                      // what the value means, for the control's tooltip
  // The internal error raised for a value that is refused (orRefuse).
  std::string_view RefusedMessage = {};
};

// The whole table, in the order the profile writer emits the elements.
std::span<const TSettingDescription> SettingDescriptions();

// The entry of that name, or nullptr.
const TSettingDescription* FindSetting(std::string_view name);
// The entry of that model field; a field without one is an internal error.
const TSettingDescription& SettingOf(bool TSettingsModel::*field);
const TSettingDescription& SettingOf(int TSettingsModel::*field);
const TSettingDescription& SettingOf(std::string TSettingsModel::*field);

// "latency" and "delayfrom" of "latency/delayfrom".
std::string_view SectionOf(const TSettingDescription& setting);
std::string_view ElementOf(const TSettingDescription& setting);

// The values the setting may hold with the model's scales and rate table and
// that many adapters.
TControlRange SettingRange(const TSettingDescription& setting, const TSettingsModel& model, int adapterCount = 0);

// The value as a read stores it: clamped, -1 for a list position outside the
// list, or raised as the internal error for a refused choice.
int FitSetting(const TSettingDescription& setting, const TSettingsModel& model, int value, int adapterCount = 0);

// The field's value in the model, clamped to its range: what the engine gets,
// since a control never holds a value outside its range.
int ClampedValue(const TSettingsModel& model, int TSettingsModel::*field);

// Booleans and integers as one number (true is 1); text settings give 0.
int NumberOf(const TSettingDescription& setting, const TSettingsModel& model);
void SetNumber(const TSettingDescription& setting, TSettingsModel& model, int value);
// A text setting's value; other kinds give their number as decimal text.
std::string TextOf(const TSettingDescription& setting, const TSettingsModel& model);
void SetText(const TSettingDescription& setting, TSettingsModel& model, std::string text);
