#include "engine/SettingsApply.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <stdexcept>

#include "common/Assertion.h"

namespace {

bool Includes(TSettingsPart part, TSettingsPart own) { return part == TSettingsPart::spAll || part == own; }

void ApplyRate(TEngine& engine, const TSettingsControls& c) {
  if (!c.RateSelected) throw std::runtime_error("Unable to set the transfer rate");
  TLockGuard lock(engine.Locks.EngineLock);
  engine.State.RateIn = static_cast<int32_t>(c.InRate / 8);
  engine.State.RateOut = static_cast<int32_t>(c.OutRate / 8);
  engine.State.SelectTraces(c.InTrace, c.OutTrace);
}

void ApplyDirection(TEngineSettings& s, const TSettingsControls& c) {
  OT_ASSERT(c.Direction >= 0 && c.Direction <= 2, "GUIMain", "Unable to set the transfer direction");
  s.Direction = static_cast<TTrafficDirection>(c.Direction);
}

void ApplyLatency(TEngineSettings& s, const TSettingsControls& c) {
  s.Latency.Enabled = c.LatencyEnabled;
  OT_ASSERT(c.DelayType == 0 || c.DelayType == 1, "GUIMain", "Wrong latency kind");
  s.Latency.Kind = static_cast<TLatencyKind>(c.DelayType);
  s.Latency.DelayFrom = c.DelayFrom;
  s.Latency.DelayTo = c.DelayTo;
  s.Latency.Percent = c.LatencyPercent;
  s.Latency.Correlation = c.CorrelationPercent / 100.0;
}

void ApplyLoss(TEngineSettings& s, const TSettingsControls& c) {
  s.Loss.Enabled = c.LossEnabled;
  s.Loss.Value = c.LossValue;
  OT_ASSERT(c.LossType == 0 || c.LossType == 1, "GUIMain", "Wrong loss type");
  s.Loss.Type = static_cast<TLossType>(c.LossType);
  s.Loss.BurstLo = std::min(c.LossBurst1, c.LossBurst2);
  s.Loss.BurstHi = std::max(c.LossBurst1, c.LossBurst2);
  // Any change of the loss controls ends a running burst.
  s.Loss.BurstLeft = 0;
}

void ApplyDuplication(TEngineSettings& s, const TSettingsControls& c) {
  s.Duplication.Enabled = c.DuplicationEnabled;
  s.Duplication.Value = c.DuplicationValue;
  OT_ASSERT(c.DuplicationType == 0 || c.DuplicationType == 1, "GUIMain", "Wrong duplication type");
  s.Duplication.Type = static_cast<TDuplicationType>(c.DuplicationType);
}

void ApplyReordering(TEngineSettings& s, const TSettingsControls& c) {
  s.Reordering.Enabled = c.ReorderingEnabled;
  s.Reordering.Value = c.ReorderingValue;
  s.Reordering.Gap = c.ReorderingGap;
}

void ApplyCorruption(TEngineSettings& s, const TSettingsControls& c) {
  s.Corruption.Enabled = c.CorruptionEnabled;
  switch (c.CorruptionChoice) {
    case 0:
      s.Corruption.Type = TCorruptionType::ctPercentage;
      s.Corruption.Value = c.CorruptionValue;
      break;
    case 1:
      s.Corruption.Type = TCorruptionType::ctBitErrors;
      s.Corruption.Value = ParseBitErrorCount(c.BitErrorText);
      s.Corruption.Unit = static_cast<TBitErrorUnit>(std::clamp(c.BitErrorUnit, 0, 2));
      break;
    case 2:
      s.Corruption.Type = TCorruptionType::ctBitErrorRatio;
      s.Corruption.Ratio = ParseBitErrorRatio(c.BitErrorText);
      break;
    default:
      break;
  }
}

void ApplyBlocking(TEngineSettings& s, const TSettingsControls& c) {
  s.Blocking.Enabled = c.BlockingEnabled;
  s.Blocking.SetPortList(c.PortList);
}

}  // namespace

uint32_t ParseBitErrorCount(const std::string& text) {
  const char* first = text.data();
  const char* last = first + text.size();
  if (first != last && *first == '+') ++first;
  uint32_t value = 0;
  const auto [end, error] = std::from_chars(first, last, value);
  return (error == std::errc() && end == last && first != last) ? value : 0;
}

double ParseBitErrorRatio(const std::string& text) {
  if (text.empty()) return 0;
  errno = 0;
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (errno != 0 || end != text.c_str() + text.size() || value < 0) return 0;
  return value;
}

void ApplySettings(TEngine& engine, TSettingsPart part, const TSettingsControls& controls) {
  if (Includes(part, TSettingsPart::spRate)) ApplyRate(engine, controls);
  if (part == TSettingsPart::spBlocking) {
    // A bad list must raise before the live list changes.
    TPortBlocking scratch;
    scratch.Enabled = controls.BlockingEnabled;
    scratch.SetPortList(controls.PortList);
  }
  TLockGuard lock(engine.Locks.SettingsLock);
  TEngineSettings& s = engine.Settings;
  ApplyDirection(s, controls);
  if (Includes(part, TSettingsPart::spLatency)) ApplyLatency(s, controls);
  if (Includes(part, TSettingsPart::spLoss)) ApplyLoss(s, controls);
  if (Includes(part, TSettingsPart::spDuplication)) ApplyDuplication(s, controls);
  if (Includes(part, TSettingsPart::spReordering)) ApplyReordering(s, controls);
  if (Includes(part, TSettingsPart::spCorruption)) ApplyCorruption(s, controls);
  if (Includes(part, TSettingsPart::spBlocking)) ApplyBlocking(s, controls);
}
