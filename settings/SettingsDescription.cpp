#include "settings/SettingsDescription.h"

#include <array>

#include "common/Assertion.h"

namespace {

using enum TSettingKind;
using enum TRangeSource;
using enum TOutOfRange;
using enum TSettingsPart;
using M = TSettingsModel;

constexpr std::string_view kDirections[] = {"Incoming", "Outgoing", "Both"};
constexpr std::string_view kDelayTypes[] = {"Fixed", "Random"};
constexpr std::string_view kShareTypes[] = {"Percentage", "Fixed number"};
constexpr std::string_view kCorruptionChoices[] = {"Percentage of packets", "Bit error rate (BER)",
                                                   "Bit error ratio (BER)"};
constexpr std::string_view kBitErrorUnits[] = {"per second", "per minute", "per hour"};
constexpr std::string_view kCaptureModes[] = {"Overwrite", "Append", "Auto rename"};

constexpr TControlRange kDelayRange{0, 60000};
constexpr TControlRange kBurstRange{1, 1000};
constexpr TControlRange kUnusedRange{0, 0};
constexpr TControlRange kByScale{1, 1};  // replaced by the model's scale

// In the order the profile writer emits the elements.
constexpr std::array kSettings = std::to_array<TSettingDescription>({
    {"general/direction", skChoice, &M::Direction, spRate, 2, 2, kUnusedRange, rsFixed, orClamp, kDirections,
     "Which frames the impairments act on: arriving, leaving, or both"},
    {"general/rateindex", skChoice, &M::RateIndex, spRate, -1, 0, kUnusedRange, rsRateList, orNothing, {},
     "The transfer rate in each direction, from the rate table"},
    {"general/cardindex", skAdapter, &M::CardIndex, std::nullopt, -1, 0, kUnusedRange, rsAdapterList, orNothing,
     {}, "The adapter whose frames are taken; read when the simulation starts"},

    {"latency/enabled", skBoolean, &M::LatencyEnabled, spLatency, 0, 0, {0, 1}, rsFixed, orClamp, {},
     "Delay the frames that the direction and the filter select"},
    {"latency/type", skChoice, &M::DelayType, spLatency, 0, 0, kUnusedRange, rsFixed, orClamp, kDelayTypes,
     "Fixed: every delayed frame waits the same time; Random: a time between the two delays"},
    {"latency/delayfrom", skInteger, &M::DelayFrom, spLatency, 100, 0, kDelayRange, rsFixed, orClamp, {},
     "The delay in milliseconds (0 to 60000); for a random delay its shortest value"},
    {"latency/delayto", skInteger, &M::DelayTo, spLatency, 500, 0, kDelayRange, rsFixed, orClamp, {},
     "The longest random delay in milliseconds (0 to 60000)"},
    {"latency/impact", skInteger, &M::LatencyPercent, spLatency, 100, 1, {1, 100}, rsFixed, orClamp, {},
     "The share of frames delayed, 1 to 100 percent"},
    {"latency/correlation", skInteger, &M::Correlation, spLatency, 0, 0, {0, 95}, rsFixed, orClamp, {},
     "How much each random delay follows the one before, 0 to 95 percent; 0 draws each freely"},

    {"loss/enabled", skBoolean, &M::LossEnabled, spLoss, 0, 0, {0, 1}, rsFixed, orClamp, {},
     "Drop some of the frames that the direction and the filter select"},
    {"loss/impact", skInteger, &M::LossPosition, spLoss, 1, 10, kByScale, rsLossScale, orClamp, {},
     "Percentage: the share of frames lost, in steps of the loss scale; "
     "Fixed number: lose every N-th packet; 1 loses every packet"},
    {"loss/type", skChoice, &M::LossType, spLoss, 0, 0, kUnusedRange, rsFixed, orClamp, kShareTypes,
     "Percentage: lose a random share of frames; Fixed number: lose every N-th frame"},
    {"loss/burstlo", skInteger, &M::LossLo, spLoss, 1, 1, kBurstRange, rsFixed, orClamp, {},
     "The fewest frames lost in a row once a loss starts, 1 to 1000"},
    {"loss/bursthi", skInteger, &M::LossHi, spLoss, 1, 1, kBurstRange, rsFixed, orClamp, {},
     "The most frames lost in a row once a loss starts, 1 to 1000"},

    {"duplication/enabled", skBoolean, &M::DuplicationEnabled, spDuplication, 0, 0, {0, 1}, rsFixed, orClamp, {},
     "Send some of the selected frames twice"},
    {"duplication/impact", skInteger, &M::DuplicationPosition, spDuplication, 1, 10, kByScale, rsDuplicationScale,
     orClamp, {},
     "Percentage: the share of frames sent twice, in steps of the duplication scale; "
     "Fixed number: duplicate every N-th packet; 1 duplicates every packet"},
    {"duplication/type", skChoice, &M::DuplicationType, spDuplication, 0, 0, kUnusedRange, rsFixed, orClamp,
     kShareTypes, "Percentage: duplicate a random share of frames; Fixed number: duplicate every N-th frame"},

    {"reordering/enabled", skBoolean, &M::ReorderingEnabled, spReordering, 0, 0, {0, 1}, rsFixed, orClamp, {},
     "Hold some of the selected frames back so that later ones overtake them"},
    {"reordering/impact", skInteger, &M::ReorderingPosition, spReordering, 1, 10, kByScale, rsReorderingScale,
     orClamp, {}, "The share of frames held back and sent later, in steps of the reordering scale"},
    {"reordering/gap", skInteger, &M::ReorderingGap, spReordering, 1, 1, {1, 1000}, rsFixed, orClamp, {},
     "How many later frames overtake a held-back frame, 1 to 1000"},

    {"corruption/enabled", skBoolean, &M::CorruptionEnabled, spCorruption, 0, 0, {0, 1}, rsFixed, orClamp, {},
     "Flip bits in some of the selected frames"},
    {"corruption/impact", skInteger, &M::CorruptionPosition, spCorruption, 1, 10, kByScale, rsCorruptionScale,
     orClamp, {}, "The share of frames with one bit flipped, in steps of the corruption scale"},
    {"corruption/type", skChoice, &M::CorruptionChoice, spCorruption, kCorruptPercent, 0, kUnusedRange, rsFixed,
     orRefuse, kCorruptionChoices,
     "A share of frames, a number of bit errors per unit of time, or a bit error ratio", "Wrong corruption type"},
    {"corruption/berval", skText, &M::BitErrorText, spCorruption, 0, 0, kUnusedRange, rsFixed, orClamp, {},
     "Bit errors per unit of time (1 to 10000), or a ratio between 0 and 1 such as 10e-7"},
    {"corruption/time", skChoice, &M::BitErrorUnit, spCorruption, 0, 0, kUnusedRange, rsFixed, orClamp,
     kBitErrorUnits, "The unit of time the bit errors are counted in"},

    {"capture/enabled", skBoolean, &M::CaptureEnabled, std::nullopt, 0, 0, {0, 1}, rsFixed, orClamp, {},
     "Write the frames to capture files; read when the simulation starts"},
    {"capture/before", skText, &M::CaptureBefore, std::nullopt, 0, 0, kUnusedRange, rsFixed, orClamp, {},
     "The capture file of the frames as they arrive, before any impairment"},
    {"capture/after", skText, &M::CaptureAfter, std::nullopt, 0, 0, kUnusedRange, rsFixed, orClamp, {},
     "The capture file of the frames as they leave, after the impairments"},
    {"capture/writemode", skChoice, &M::CaptureMode, std::nullopt, 0, 0, kUnusedRange, rsFixed, orClamp,
     kCaptureModes, "What a start does with an existing capture file"},

    {"blocking/enabled", skBoolean, &M::BlockingEnabled, spBlocking, 0, 0, {0, 1}, rsFixed, orClamp, {},
     "Drop every frame to or from the listed ports"},
    {"blocking/portlist", skText, &M::PortList, spBlocking, 0, 0, kUnusedRange, rsFixed, orClamp, {},
     "Ports whose frames are dropped: numbers and ranges, u for UDP only, t for TCP only, "
     "e.g. 135-139, u161, t445"},
});

template <typename Field>
const TSettingDescription& FindByField(Field field) {
  for (const TSettingDescription& setting : kSettings) {
    const Field* own = std::get_if<Field>(&setting.Field);
    if (own != nullptr && *own == field) return setting;
  }
  OT_ASSERT(false, "Settings", "A model field has no description");
  return kSettings.front();
}

int ScaleOf(uint32_t scale) { return static_cast<int>(scale); }

}  // namespace

std::span<const TSettingDescription> SettingDescriptions() { return kSettings; }

const TSettingDescription* FindSetting(std::string_view name) {
  for (const TSettingDescription& setting : kSettings) {
    if (setting.Name == name) return &setting;
  }
  return nullptr;
}

const TSettingDescription& SettingOf(bool TSettingsModel::*field) { return FindByField(field); }
const TSettingDescription& SettingOf(int TSettingsModel::*field) { return FindByField(field); }
const TSettingDescription& SettingOf(std::string TSettingsModel::*field) { return FindByField(field); }

std::string_view SectionOf(const TSettingDescription& setting) {
  return setting.Name.substr(0, setting.Name.find('/'));
}

std::string_view ElementOf(const TSettingDescription& setting) {
  return setting.Name.substr(setting.Name.find('/') + 1);
}

TControlRange SettingRange(const TSettingDescription& setting, const TSettingsModel& model, int adapterCount) {
  switch (setting.RangeSource) {
    case rsLossScale:
      return {1, ScaleOf(model.Resolution.Loss)};
    case rsDuplicationScale:
      return {1, ScaleOf(model.Resolution.Duplication)};
    case rsReorderingScale:
      return {1, ScaleOf(model.Resolution.Reordering)};
    case rsCorruptionScale:
      return {1, ScaleOf(model.Resolution.Corruption)};
    case rsRateList:
      return {0, static_cast<int>(model.Rates.Count()) - 1};
    case rsAdapterList:
      return {0, adapterCount - 1};
    case rsFixed:
      break;
  }
  if (!setting.Choices.empty()) return {0, static_cast<int>(setting.Choices.size()) - 1};
  return setting.Range;
}

int FitSetting(const TSettingDescription& setting, const TSettingsModel& model, int value, int adapterCount) {
  const TControlRange range = SettingRange(setting, model, adapterCount);
  switch (setting.OutOfRange) {
    case orNothing:
      return range.Contains(value) ? value : -1;
    case orRefuse:
      OT_ASSERT(range.Contains(value), "GUIMain", std::string(setting.RefusedMessage).c_str());
      return value;
    case orClamp:
      break;
  }
  return range.Clamp(value);
}

int ClampedValue(const TSettingsModel& model, int TSettingsModel::*field) {
  return SettingRange(SettingOf(field), model).Clamp(model.*field);
}

int NumberOf(const TSettingDescription& setting, const TSettingsModel& model) {
  if (const auto* flag = std::get_if<bool M::*>(&setting.Field)) return model.**flag ? 1 : 0;
  if (const auto* number = std::get_if<int M::*>(&setting.Field)) return model.**number;
  return 0;
}

void SetNumber(const TSettingDescription& setting, TSettingsModel& model, int value) {
  if (const auto* flag = std::get_if<bool M::*>(&setting.Field)) model.**flag = value != 0;
  if (const auto* number = std::get_if<int M::*>(&setting.Field)) model.**number = value;
}

std::string TextOf(const TSettingDescription& setting, const TSettingsModel& model) {
  if (const auto* text = std::get_if<std::string M::*>(&setting.Field)) return model.**text;
  return std::to_string(NumberOf(setting, model));
}

void SetText(const TSettingDescription& setting, TSettingsModel& model, std::string text) {
  if (const auto* field = std::get_if<std::string M::*>(&setting.Field)) model.**field = std::move(text);
}
