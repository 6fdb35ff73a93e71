#include "ui/main/SettingsTab.h"

namespace {

// A range the control can be given now: a fixed one, not one that follows
// the model's scales or lists.
bool HasFixedRange(const TSettingDescription& setting) {
  return setting.RangeSource == TRangeSource::rsFixed && setting.Choices.empty();
}

}  // namespace

void TSettingsTab::ShowHint(QWidget* control, const TSettingDescription& setting) {
  if (!setting.Hint.empty()) control->setToolTip(QString::fromUtf8(setting.Hint));
}

template <typename Control>
void TSettingsTab::ShowRange(Control* control, const TSettingDescription& setting) {
  ShowHint(control, setting);
  if (HasFixedRange(setting)) control->setRange(setting.Range.Min, setting.Range.Max);
}

void TSettingsTab::Changed(const TSettingDescription& setting, const TChanged& changed) {
  if (changed) changed();
  if (setting.Part) emit ApplyRequested(*setting.Part);
}

template <typename Sender, typename Signal, typename Field>
void TSettingsTab::WriteOnChange(Sender* sender, Signal signal, Field field, TChanged changed) {
  const TSettingDescription& setting = SettingOf(field);
  connect(sender, signal, this, [this, &setting, field, changed](auto value) {
    Model.*field = value;
    Changed(setting, changed);
  });
}

void TSettingsTab::Bind(QAbstractButton* checkBox, bool M::*field, TChanged changed) {
  ShowHint(checkBox, SettingOf(field));
  WriteOnChange(checkBox, &QAbstractButton::clicked, field, std::move(changed));
}

void TSettingsTab::Bind(QButtonGroup* choices, int M::*field, TChanged changed) {
  for (QAbstractButton* button : choices->buttons()) ShowHint(button, SettingOf(field));
  WriteOnChange(choices, &QButtonGroup::idClicked, field, std::move(changed));
}

void TSettingsTab::Bind(QSlider* slider, int M::*field, TChanged changed) {
  ShowRange(slider, SettingOf(field));
  WriteOnChange(slider, &QSlider::valueChanged, field, std::move(changed));
}

void TSettingsTab::Bind(QSpinBox* spin, int M::*field, TChanged changed) {
  ShowRange(spin, SettingOf(field));
  WriteOnChange(spin, &QSpinBox::valueChanged, field, std::move(changed));
}

void TSettingsTab::Bind(QComboBox* list, int M::*field, TChanged changed) {
  ShowHint(list, SettingOf(field));
  WriteOnChange(list, &QComboBox::activated, field, std::move(changed));
}

void TSettingsTab::Bind(QLineEdit* edit, std::string M::*field, TChanged changed) {
  ShowHint(edit, SettingOf(field));
  connect(edit, &QLineEdit::textChanged, this, [this, field, changed](const QString& text) {
    Model.*field = text.toStdString();
    if (changed) changed();
  });
}
