#pragma once
// What the main window's controls hold, without widgets: every control of
// the impairment tabs with its range and default, the speed-limit list over
// the rate table, the adapter position, the direction, and the capture and
// blocking fields. Profiles, presets and the last configuration set this
// model; the window shows and edits it; ToControls hands it to the engine.

#include <string>

#include "config/ShapingRateTable.h"
#include "engine/EngineSettings.h"
#include "engine/SettingsApply.h"
#include "engine/Simulation.h"

// An inclusive range of a slider or spin control.
struct TControlRange {
  int Min;
  int Max;
  int Clamp(int value) const { return value < Min ? Min : (value > Max ? Max : value); }
};

constexpr TControlRange kLatencyPercentRange{1, 100};  // LatencyTrackBar
constexpr TControlRange kDelayRange{0, 60000};         // DelayFromUpDown, DelayToUpDown (ms)
constexpr TControlRange kCorrelationRange{0, 95};      // udLatencyCorrelation (percent)
constexpr TControlRange kBurstRange{1, 1000};          // udLossLo, udLossHi
constexpr TControlRange kGapRange{1, 1000};            // ReorderingGapUpDown
constexpr int kDelayStep = 10;
constexpr int kCorrelationStep = 5;
constexpr int kLatencyLineStep = 10;

// The options of the choice controls, in their order.
constexpr int kDirectionChoices = 3;       // "Incoming", "Outgoing", "Both"
constexpr int kDelayTypeChoices = 2;       // "Fixed", "Random"
constexpr int kShareTypeChoices = 2;       // "Percentage", "Fixed number"
constexpr int kCorruptionChoices = 3;      // percentage, bit error rate, bit error ratio
constexpr int kBitErrorUnitChoices = 3;    // "per second", "per minute", "per hour"
constexpr int kCaptureModeChoices = 3;     // "Overwrite", "Append", "Auto rename"

constexpr int kCorruptPercent = 0;
constexpr int kCorruptBitRate = 1;
constexpr int kCorruptBitRatio = 2;

// A choice position clamped to the options a control has.
inline int ClampChoice(int value, int choices) { return TControlRange{0, choices - 1}.Clamp(value); }

struct TSettingsModel {
  // "Transfer Rate": the table behind RatesCombobox; the list shows the
  // table's names in table order, so RateIndex is a table index (-1: none).
  TShapingRateTable Rates;
  int RateIndex = -1;
  int CardIndex = -1;  // InterfaceCombobox position; -1: no adapter selected
  int Direction = 2;   // DirectionRadioGroup

  // "Latency"
  bool LatencyEnabled = false;
  int DelayType = 0;
  int LatencyPercent = 100;
  int DelayFrom = 100;
  int DelayTo = 500;
  int Correlation = 0;

  // "Packet Loss"
  bool LossEnabled = false;
  int LossType = 0;
  int LossPosition = 1;  // PacketLossTrackBar, 1..Resolution.Loss
  int LossLo = 1;
  int LossHi = 1;

  // "Duplication"
  bool DuplicationEnabled = false;
  int DuplicationType = 0;
  int DuplicationPosition = 1;

  // "Reordering"
  bool ReorderingEnabled = false;
  int ReorderingPosition = 1;
  int ReorderingGap = 1;

  // "Corruption"
  bool CorruptionEnabled = false;
  int CorruptionChoice = kCorruptPercent;
  int CorruptionPosition = 1;
  std::string BitErrorText;  // leCorruptBerValue as typed
  int BitErrorUnit = 0;
  bool BitErrorInvalid = false;  // the field is painted red

  // "Capture"
  bool CaptureEnabled = false;
  std::string CaptureBefore;
  std::string CaptureAfter;
  int CaptureMode = 0;

  // "Port Blocking"
  bool BlockingEnabled = false;
  std::string PortList;

  // The scales of the four percentage sliders: each runs from 1 to its scale.
  TPercentageResolution Resolution;

  // The values a new window starts with: the built-in rates with "Unlimited"
  // chosen, the given adapter, and the tabs' initial values.
  void SetDefaults(int defaultAdapterIndex);

  // Sorts the table and selects "Unlimited" (first match), else the first
  // entry; called after every change of the table.
  void RefreshRateList();

  // The slider ranges of the percentage shares; putting in new scales moves
  // the four sliders back to 1, as applying the display settings does.
  void SetResolutions(const TPercentageResolution& resolution);
  TControlRange LossRange() const { return {1, static_cast<int>(Resolution.Loss)}; }
  TControlRange DuplicationRange() const { return {1, static_cast<int>(Resolution.Duplication)}; }
  TControlRange ReorderingRange() const { return {1, static_cast<int>(Resolution.Reordering)}; }
  TControlRange CorruptionRange() const { return {1, static_cast<int>(Resolution.Corruption)}; }

  // The bit-error field's check: marks the field and says whether the value
  // may be applied (spCorruption). The percentage choice is always valid.
  bool CheckBitErrorValue();

  // The flat values ApplySettings copies into the engine.
  TSettingsControls ToControls() const;

  // What a simulation needs beyond the engine settings.
  TCaptureSettings CaptureValues() const;
};
