#pragma once
// One page of the impairment tabs: its controls show and edit their share of
// the settings model. A change by the user writes the model and asks the
// window to apply the tab's part; ShowModel puts the model into the controls
// (after a profile, a preset or new slider scales) and recomputes the labels
// and the enabling, without applying anything.

#include <QWidget>

#include "config/SettingsModel.h"
#include "engine/SettingsApply.h"

class TSettingsTab : public QWidget {
  Q_OBJECT
 public:
  TSettingsTab(TSettingsModel& model, QWidget* parent) : QWidget(parent), Model(model) {}

  virtual void ShowModel() = 0;

 signals:
  void ApplyRequested(TSettingsPart part);

 protected:
  TSettingsModel& Model;
};
