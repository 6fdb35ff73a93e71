#pragma once
// "Port Blocking": frames to or from the listed TCP and UDP ports are
// dropped. The list is checked when Enter is pressed in the field and when
// the field loses the focus: a list that reads is applied, a bad one turns
// the field red and is reported once, naming the field. Only a list that
// reads reaches the settings model, so no later apply brings the error back;
// the engine keeps its list meanwhile.

#include <QCheckBox>
#include <QLineEdit>
#include <QPalette>

#include "ui/main/SettingsTab.h"

class TBlockingTab : public TSettingsTab {
  Q_OBJECT
 public:
  TBlockingTab(TSettingsModel& model, QWidget* parent);
  void ShowModel() override;

  QCheckBox* cbBlocking;
  QLineEdit* leBlocking;

 private:
  void CheckPortList();
  void ShowListValidity(bool valid);

  QPalette FNormalFieldPalette;
};
