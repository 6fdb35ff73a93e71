#pragma once
// What the owner hands to the engine: one record guarded by SettingsLock, and
// the scales the shares are counted in.

#include <cstdint>

#include "common/TrafficDirection.h"
#include "filter/FilterSettings.h"
#include "filter/PortBlocking.h"
#include "settings/PercentageResolution.h"

enum class TLatencyKind : uint8_t { lkFixed = 0, lkRandom = 1 };
enum class TLossType : uint8_t { ltPercentage = 0, ltFixedNumber = 1 };
enum class TDuplicationType : uint8_t { dtPercentage = 0, dtFixedNumber = 1 };
enum class TCorruptionType : uint8_t { ctPercentage = 0, ctBitErrors = 1, ctBitErrorRatio = 2 };
enum class TBitErrorUnit : uint8_t { buSecond = 0, buMinute = 1, buHour = 2 };

struct TLatencySettings {
  bool Enabled = false;
  uint32_t Percent = 0;  // 1..100, share of frames delayed
  TLatencyKind Kind = TLatencyKind::lkFixed;
  uint32_t DelayFrom = 0;  // ms, 0..60000
  uint32_t DelayTo = 0;    // ms, 0..60000
  double Correlation = 0;  // 0..0.95
};

struct TLossSettings {
  bool Enabled = false;
  TLossType Type = TLossType::ltPercentage;
  uint32_t BurstLo = 0;
  uint32_t BurstHi = 0;
  uint32_t BurstLeft = 0;  // frames still to lose in the current burst; the engine's own state
  uint32_t Value = 0;      // share on the loss scale, or N for the fixed number
};

struct TDuplicationSettings {
  bool Enabled = false;
  TDuplicationType Type = TDuplicationType::dtPercentage;
  uint32_t Value = 0;
};

struct TReorderingSettings {
  bool Enabled = false;
  uint32_t Value = 0;  // share on the reordering scale
  uint32_t Gap = 0;    // frames, 1..1000
};

struct TCorruptionSettings {
  bool Enabled = false;
  TCorruptionType Type = TCorruptionType::ctPercentage;
  uint32_t Value = 0;  // share on the corruption scale, or bit errors per Unit
  TBitErrorUnit Unit = TBitErrorUnit::buSecond;
  double Ratio = 0;  // bit error ratio
};

struct TEngineSettings {
  TTrafficDirection Direction = TTrafficDirection::tdIncoming;
  TFilterSettings Filter;
  TLatencySettings Latency;
  TLossSettings Loss;
  TDuplicationSettings Duplication;
  TReorderingSettings Reordering;
  TCorruptionSettings Corruption;
  TPortBlocking Blocking;
};

constexpr uint32_t kDefaultMaxQueueSize = 10000;
