#pragma once
// "Reordering": a share of the frames held back behind a gap of others.

#include <QCheckBox>
#include <QLabel>
#include <QSlider>
#include <QSpinBox>

#include "ui/main/SettingsTab.h"

class TReorderingTab : public TSettingsTab {
  Q_OBJECT
 public:
  TReorderingTab(TSettingsModel& model, QWidget* parent);
  void ShowModel() override;

  QCheckBox* EnableReorderingCheckBox;
  QLabel* ReorderingLabel;
  QSlider* ReorderingTrackBar;
  QSpinBox* ReorderingGapUpDown;

 private:
  void ConnectControls();
  void UpdateReorderingLabel();
};
