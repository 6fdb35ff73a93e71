#pragma once
// "Duplication": a share of the frames sent twice, or every N-th frame.

#include <QButtonGroup>
#include <QCheckBox>
#include <QLabel>
#include <QSlider>

#include "ui/main/SettingsTab.h"

class TDuplicationTab : public TSettingsTab {
  Q_OBJECT
 public:
  TDuplicationTab(TSettingsModel& model, QWidget* parent);
  void ShowModel() override;

  QCheckBox* EnableDuplicationCheckBox;
  QButtonGroup* DuplicationTypeRadioGroup;
  QLabel* DuplicationLabel;
  QSlider* DuplicationTrackBar;

 private:
  void ConnectControls();
  void UpdateDuplicationLabel();
};
