#pragma once
// "Latency": a fixed or random delay for a share of the frames, with
// correlation between successive random delays.

#include <QButtonGroup>
#include <QCheckBox>
#include <QLabel>
#include <QSlider>
#include <QSpinBox>

#include "ui/main/SettingsTab.h"

class TLatencyTab : public TSettingsTab {
  Q_OBJECT
 public:
  TLatencyTab(TSettingsModel& model, QWidget* parent);
  void ShowModel() override;

  QCheckBox* EnableLatencyCheckBox;
  QButtonGroup* DelaySettingsRadioGroup;
  QLabel* lblApplyDelayOn;
  QSlider* LatencyTrackBar;
  QLabel* lblDelayFrom;
  QSpinBox* DelayFromUpDown;
  QLabel* lblDelayTo;
  QSpinBox* DelayToUpDown;
  QLabel* lblLatencyCorrelation;
  QSpinBox* udLatencyCorrelation;

 private:
  QWidget* BuildDelays();
  void ConnectControls();
  // "Fixed" shows one delay; "Random" the range and the correlation.
  void ApplyDelayTypeRule();
  void UpdateLatencyLabel();
};
