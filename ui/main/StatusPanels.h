#pragma once
// The status bar's fifteen panels: a caption and an "ON"/"OFF" value for the
// filter and each impairment, then an empty panel. "ON" is bold. The panels
// are permanent: a status tip or message never hides them.

#include <QLabel>
#include <QStatusBar>
#include <array>

#include "engine/Engine.h"

constexpr int kStatusPanelCount = 15;

struct TStatusFlags {
  bool Filter = false;
  bool Latency = false;
  bool Loss = false;
  bool Duplication = false;
  bool Reordering = false;
  bool Corruption = false;
  bool Blocking = false;
};

// The engine's switches, read under SettingsLock.
TStatusFlags ReadStatusFlags(TEngine& engine);

class TStatusPanels {
 public:
  explicit TStatusPanels(QStatusBar* bar);

  void Show(const TStatusFlags& flags);
  QLabel* Panel(int index) const { return FPanels[static_cast<size_t>(index)]; }

 private:
  void ShowValue(int index, bool on);

  std::array<QLabel*, kStatusPanelCount> FPanels{};
};
