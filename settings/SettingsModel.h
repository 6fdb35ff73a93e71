#pragma once
// What the main window's controls hold, without widgets: every control of
// the impairment tabs, the speed-limit list over the rate table, the adapter
// position, the direction, and the capture and blocking fields. Profiles,
// presets, the last configuration and the control channel set this model;
// the window shows and edits it; ApplySettings reads it into the engine.
// Each field's name, range, default and profile element are described once,
// in settings/SettingsDescription.h.

#include <string>

#include "settings/ControlRange.h"
#include "settings/PercentageResolution.h"
#include "settings/ShapingRateTable.h"

// The positions of the corruption choice.
constexpr int kCorruptPercent = 0;
constexpr int kCorruptBitRate = 1;
constexpr int kCorruptBitRatio = 2;

struct TSettingsModel {
  // The values of the settings description's defaults, with no rate table.
  TSettingsModel();

  // "Transfer Rate": the table behind RatesCombobox; the list shows the
  // table's names in table order, so RateIndex is a table index (-1: none).
  TShapingRateTable Rates;
  int RateIndex;
  int CardIndex;  // InterfaceCombobox position; -1: no adapter selected
  int Direction;  // DirectionRadioGroup

  // "Latency"
  bool LatencyEnabled;
  int DelayType;
  int LatencyPercent;
  int DelayFrom;
  int DelayTo;
  int Correlation;

  // "Packet Loss"
  bool LossEnabled;
  int LossType;
  int LossPosition;  // PacketLossTrackBar, 1..Resolution.Loss
  int LossLo;
  int LossHi;

  // "Duplication"
  bool DuplicationEnabled;
  int DuplicationType;
  int DuplicationPosition;

  // "Reordering"
  bool ReorderingEnabled;
  int ReorderingPosition;
  int ReorderingGap;

  // "Corruption"
  bool CorruptionEnabled;
  int CorruptionChoice;
  int CorruptionPosition;
  std::string BitErrorText;  // leCorruptBerValue as typed
  int BitErrorUnit;
  bool BitErrorInvalid = false;  // the field is painted red

  // "Capture"
  bool CaptureEnabled;
  std::string CaptureBefore;
  std::string CaptureAfter;
  int CaptureMode;

  // "Port Blocking"
  bool BlockingEnabled;
  std::string PortList;

  // The scales of the four percentage sliders: each runs from 1 to its scale.
  TPercentageResolution Resolution;

  // The values a new window starts with: the built-in rates with "Unlimited"
  // chosen, the given adapter, and the tabs' initial values.
  void SetDefaults(int defaultAdapterIndex);

  // Sorts the table and selects "Unlimited" (first match), else the first
  // entry; called after every change of the table.
  void RefreshRateList();

  // Selects the table's entry of the rate's name, adding the rate first when
  // there is none; an existing entry is used as it stands.
  void SelectRate(const TShapingRate& rate);

  // The scales of the percentage shares (their sliders run from 1 to them); putting in new scales moves
  // the four sliders back to 1, as applying the display settings does.
  void SetResolutions(const TPercentageResolution& resolution);

  // The bit-error field's check: marks the field and says whether the value
  // may be applied (spCorruption). The percentage choice is always valid.
  bool CheckBitErrorValue();
};
