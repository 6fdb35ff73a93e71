#pragma once
// ApplySettings: copies what the owner's controls hold into the engine, one
// part at a time or all of them, live while a simulation runs.

#include <cstdint>
#include <memory>
#include <string>

#include "engine/Engine.h"
#include "engine/LinkTrace.h"

enum class TSettingsPart : uint8_t {
  spAll,
  spRate,
  spLatency,
  spLoss,
  spDuplication,
  spReordering,
  spCorruption,
  spBlocking,
};

// The values of the controls, as the engine needs them. Choices are the
// positions of the controls' options, so that a position a control cannot
// hold is caught here as the internal error it is.
struct TSettingsControls {
  // The selected entry of the rate table; RateSelected false when the list's
  // position is outside the table.
  bool RateSelected = true;
  uint32_t InRate = 0;  // bits per second, 0 = unlimited
  uint32_t OutRate = 0;
  // A trace per direction replaces that direction's rate; nullptr: none.
  std::shared_ptr<const TLinkTrace> InTrace, OutTrace;

  int Direction = 2;  // 0 "Incoming", 1 "Outgoing", 2 "Both"

  bool LatencyEnabled = false;
  int DelayType = 0;  // 0 "Fixed", 1 "Random"
  uint32_t LatencyPercent = 100;
  uint32_t DelayFrom = 100;
  uint32_t DelayTo = 500;
  uint32_t CorrelationPercent = 0;  // 0..95

  bool LossEnabled = false;
  int LossType = 0;  // 0 "Percentage", 1 "Fixed number"
  uint32_t LossValue = 1;
  uint32_t LossBurst1 = 1;
  uint32_t LossBurst2 = 1;

  bool DuplicationEnabled = false;
  int DuplicationType = 0;
  uint32_t DuplicationValue = 1;

  bool ReorderingEnabled = false;
  uint32_t ReorderingValue = 1;
  uint32_t ReorderingGap = 1;

  bool CorruptionEnabled = false;
  int CorruptionChoice = 0;  // 0 percentage, 1 bit errors, 2 bit error ratio; -1 none
  uint32_t CorruptionValue = 1;
  std::string BitErrorText;  // the number of bit errors, or the ratio
  int BitErrorUnit = 0;      // 0 "per second", 1 "per minute", 2 "per hour"

  bool BlockingEnabled = false;
  std::string PortList;
};

// Applies the part (every part for spAll). The first error ends the apply
// and is thrown with the message to show; fields copied before it keep their
// new values and every lock is released. With spBlocking alone the port list
// is checked on a scratch list first, so a bad list leaves the live one as
// it was.
void ApplySettings(TEngine& engine, TSettingsPart part, const TSettingsControls& controls);

// The bit-error field's number: a decimal integer, else 0.
uint32_t ParseBitErrorCount(const std::string& text);
// The bit-error field's ratio in the process locale, else 0.
double ParseBitErrorRatio(const std::string& text);
