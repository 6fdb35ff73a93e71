#include "engine/SettingsApply.h"

#include <algorithm>
#include <stdexcept>

#include "common/Assertion.h"
#include "settings/BitErrorValue.h"
#include "settings/SettingsDescription.h"

namespace {

using M = TSettingsModel;

bool Includes(TSettingsPart part, TSettingsPart own) { return part == TSettingsPart::spAll || part == own; }

uint32_t Clamped(const M& m, int M::*field) { return static_cast<uint32_t>(ClampedValue(m, field)); }

void ApplyRate(TEngine& engine, const M& m) {
  if (m.RateIndex < 0 || static_cast<size_t>(m.RateIndex) >= m.Rates.Count()) {
    throw std::runtime_error("Unable to set the transfer rate");
  }
  const TShapingRate& rate = m.Rates[static_cast<size_t>(m.RateIndex)];
  TLockGuard lock(engine.Locks.EngineLock);
  engine.State.RateIn = static_cast<int32_t>(static_cast<uint32_t>(rate.InRate) / 8);
  engine.State.RateOut = static_cast<int32_t>(static_cast<uint32_t>(rate.OutRate) / 8);
  engine.State.SelectTraces(rate.InTrace, rate.OutTrace);
  engine.NoteRateLimiterWork();
}

void ApplyDirection(TEngineSettings& s, const M& m) {
  OT_ASSERT(m.Direction >= 0 && m.Direction <= 2, "GUIMain", "Unable to set the transfer direction");
  s.Direction = static_cast<TTrafficDirection>(m.Direction);
}

void ApplyLatency(TEngineSettings& s, const M& m) {
  s.Latency.Enabled = m.LatencyEnabled;
  OT_ASSERT(m.DelayType == 0 || m.DelayType == 1, "GUIMain", "Wrong latency kind");
  s.Latency.Kind = static_cast<TLatencyKind>(m.DelayType);
  s.Latency.DelayFrom = Clamped(m, &M::DelayFrom);
  s.Latency.DelayTo = Clamped(m, &M::DelayTo);
  s.Latency.Percent = Clamped(m, &M::LatencyPercent);
  s.Latency.Correlation = Clamped(m, &M::Correlation) / 100.0;
}

void ApplyLoss(TEngineSettings& s, const M& m) {
  s.Loss.Enabled = m.LossEnabled;
  s.Loss.Value = Clamped(m, &M::LossPosition);
  OT_ASSERT(m.LossType == 0 || m.LossType == 1, "GUIMain", "Wrong loss type");
  s.Loss.Type = static_cast<TLossType>(m.LossType);
  const uint32_t lo = Clamped(m, &M::LossLo);
  const uint32_t hi = Clamped(m, &M::LossHi);
  s.Loss.BurstLo = std::min(lo, hi);
  s.Loss.BurstHi = std::max(lo, hi);
  // Any change of the loss controls ends a running burst.
  s.Loss.BurstLeft = 0;
}

void ApplyDuplication(TEngineSettings& s, const M& m) {
  s.Duplication.Enabled = m.DuplicationEnabled;
  s.Duplication.Value = Clamped(m, &M::DuplicationPosition);
  OT_ASSERT(m.DuplicationType == 0 || m.DuplicationType == 1, "GUIMain", "Wrong duplication type");
  s.Duplication.Type = static_cast<TDuplicationType>(m.DuplicationType);
}

void ApplyReordering(TEngineSettings& s, const M& m) {
  s.Reordering.Enabled = m.ReorderingEnabled;
  s.Reordering.Value = Clamped(m, &M::ReorderingPosition);
  s.Reordering.Gap = Clamped(m, &M::ReorderingGap);
}

void ApplyCorruption(TEngineSettings& s, const M& m) {
  s.Corruption.Enabled = m.CorruptionEnabled;
  switch (m.CorruptionChoice) {
    case kCorruptPercent:
      s.Corruption.Type = TCorruptionType::ctPercentage;
      s.Corruption.Value = Clamped(m, &M::CorruptionPosition);
      break;
    case kCorruptBitRate:
      s.Corruption.Type = TCorruptionType::ctBitErrors;
      s.Corruption.Value = ParseBitErrorCount(m.BitErrorText);
      s.Corruption.Unit = static_cast<TBitErrorUnit>(Clamped(m, &M::BitErrorUnit));
      break;
    case kCorruptBitRatio:
      s.Corruption.Type = TCorruptionType::ctBitErrorRatio;
      s.Corruption.Ratio = ParseBitErrorRatio(m.BitErrorText);
      break;
    default:
      break;
  }
}

void ApplyBlocking(TEngineSettings& s, const M& m) {
  s.Blocking.Enabled = m.BlockingEnabled;
  s.Blocking.SetPortList(m.PortList);
}

}  // namespace

void ApplySettings(TEngine& engine, TSettingsPart part, const TSettingsModel& model) {
  if (Includes(part, TSettingsPart::spRate)) ApplyRate(engine, model);
  if (part == TSettingsPart::spBlocking) {
    // A bad list must raise before the live list changes.
    TPortBlocking scratch;
    scratch.Enabled = model.BlockingEnabled;
    scratch.SetPortList(model.PortList);
  }
  {
    TLockGuard lock(engine.Locks.SettingsLock);
    TEngineSettings& s = engine.Settings;
    ApplyDirection(s, model);
    if (Includes(part, TSettingsPart::spLatency)) ApplyLatency(s, model);
    if (Includes(part, TSettingsPart::spLoss)) ApplyLoss(s, model);
    if (Includes(part, TSettingsPart::spDuplication)) ApplyDuplication(s, model);
    if (Includes(part, TSettingsPart::spReordering)) ApplyReordering(s, model);
    if (Includes(part, TSettingsPart::spCorruption)) ApplyCorruption(s, model);
    if (Includes(part, TSettingsPart::spBlocking)) ApplyBlocking(s, model);
  }
  // A new direction (or a rule a profile brought) reaches a driver that
  // decides in the kernel at once, not at the helper thread's next pass.
  engine.PublishFrameSelection();
}
