#pragma once
// "Port Blocking": frames to or from the listed TCP and UDP ports are
// dropped. The list is applied when the box is ticked or Enter is pressed in
// the field; a bad list is reported and leaves the engine's list as it was.

#include <QCheckBox>
#include <QLineEdit>

#include "ui/main/SettingsTab.h"

class TBlockingTab : public TSettingsTab {
  Q_OBJECT
 public:
  TBlockingTab(TSettingsModel& model, QWidget* parent);
  void ShowModel() override;

  QCheckBox* cbBlocking;
  QLineEdit* leBlocking;
};
