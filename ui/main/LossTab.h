#pragma once
// "Packet Loss": a share of the frames lost with sequential bursts, or every
// N-th frame.

#include <QButtonGroup>
#include <QCheckBox>
#include <QLabel>
#include <QSlider>
#include <QSpinBox>

#include "ui/main/SettingsTab.h"

class TLossTab : public TSettingsTab {
  Q_OBJECT
 public:
  TLossTab(TSettingsModel& model, QWidget* parent);
  void ShowModel() override;

  QCheckBox* EnableLossCheckBox;
  QButtonGroup* LossTypeRadioGroup;
  QLabel* lblLossPercent;
  QSlider* PacketLossTrackBar;
  QSpinBox* udLossLo;
  QSpinBox* udLossHi;

 private:
  QWidget* BuildBursts(QWidget* parent);
  void ConnectControls();
  // The sequential-loss fields only count for a share with loss enabled.
  void UpdateLossBurstState();
  void UpdateLossLabel();
};
