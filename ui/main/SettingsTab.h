#pragma once
// One page of the impairment tabs: its controls show and edit their share of
// the settings model. A change by the user writes the model and asks the
// window to apply the setting's part; ShowModel puts the model into the
// controls (after a profile, a preset or new slider scales) and recomputes
// the labels and the enabling, without applying anything.

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QLineEdit>
#include <QSlider>
#include <QSpinBox>
#include <QWidget>
#include <functional>

#include "settings/SettingsDescription.h"
#include "settings/SettingsModel.h"
#include "settings/SettingsPart.h"

class TSettingsTab : public QWidget {
  Q_OBJECT
 public:
  TSettingsTab(TSettingsModel& model, QWidget* parent) : QWidget(parent), Model(model) {}

  virtual void ShowModel() = 0;

 signals:
  void ApplyRequested(TSettingsPart part);

 protected:
  using TChanged = std::function<void()>;
  using M = TSettingsModel;

  // Binds a control to its setting: the control gets the setting's hint and,
  // where the setting has a fixed range, that range; a change by the user
  // writes the model, runs `changed` (labels, enabling) and applies the
  // setting's part.
  void Bind(QAbstractButton* checkBox, bool M::*field, TChanged changed = {});
  void Bind(QButtonGroup* choices, int M::*field, TChanged changed = {});
  void Bind(QSlider* slider, int M::*field, TChanged changed = {});
  void Bind(QSpinBox* spin, int M::*field, TChanged changed = {});
  void Bind(QComboBox* list, int M::*field, TChanged changed = {});
  // A text field is written on every edit; when it applies is the tab's own
  // rule, since a half-typed value may not be usable yet.
  void Bind(QLineEdit* edit, std::string M::*field, TChanged changed = {});

  // The setting's hint on the control, for controls the tab wires itself.
  static void ShowHint(QWidget* control, const TSettingDescription& setting);

  TSettingsModel& Model;

 private:
  void Changed(const TSettingDescription& setting, const TChanged& changed);
  // The hint, and the range where it is fixed.
  template <typename Control>
  static void ShowRange(Control* control, const TSettingDescription& setting);
  // A change of the control's value writes the field, runs `changed` and
  // applies the setting's part.
  template <typename Sender, typename Signal, typename Field>
  void WriteOnChange(Sender* sender, Signal signal, Field field, TChanged changed);
};
