#include "ui/main/SettingsTab.h"

namespace {

QString HintText(const TSettingDescription& setting) {
  return QString::fromUtf8(setting.Hint.data(), static_cast<qsizetype>(setting.Hint.size()));
}

// A range the control can be given now: a fixed one, not one that follows
// the model's scales or lists.
bool HasFixedRange(const TSettingDescription& setting) {
  return setting.RangeSource == TRangeSource::rsFixed && setting.Choices.empty();
}

}  // namespace

void TSettingsTab::ShowHint(QWidget* control, const TSettingDescription& setting) {
  if (!setting.Hint.empty()) control->setToolTip(HintText(setting));
}

void TSettingsTab::Changed(const TSettingDescription& setting, const TChanged& changed) {
  if (changed) changed();
  if (setting.Part) emit ApplyRequested(*setting.Part);
}

void TSettingsTab::Bind(QAbstractButton* checkBox, bool M::*field, TChanged changed) {
  const TSettingDescription& setting = SettingOf(field);
  ShowHint(checkBox, setting);
  connect(checkBox, &QAbstractButton::clicked, this, [this, &setting, field, changed](bool checked) {
    Model.*field = checked;
    Changed(setting, changed);
  });
}

void TSettingsTab::Bind(QButtonGroup* choices, int M::*field, TChanged changed) {
  const TSettingDescription& setting = SettingOf(field);
  for (QAbstractButton* button : choices->buttons()) ShowHint(button, setting);
  connect(choices, &QButtonGroup::idClicked, this, [this, &setting, field, changed](int position) {
    Model.*field = position;
    Changed(setting, changed);
  });
}

void TSettingsTab::Bind(QSlider* slider, int M::*field, TChanged changed) {
  const TSettingDescription& setting = SettingOf(field);
  ShowHint(slider, setting);
  if (HasFixedRange(setting)) slider->setRange(setting.Range.Min, setting.Range.Max);
  connect(slider, &QSlider::valueChanged, this, [this, &setting, field, changed](int value) {
    Model.*field = value;
    Changed(setting, changed);
  });
}

void TSettingsTab::Bind(QSpinBox* spin, int M::*field, TChanged changed) {
  const TSettingDescription& setting = SettingOf(field);
  ShowHint(spin, setting);
  if (HasFixedRange(setting)) spin->setRange(setting.Range.Min, setting.Range.Max);
  connect(spin, &QSpinBox::valueChanged, this, [this, &setting, field, changed](int value) {
    Model.*field = value;
    Changed(setting, changed);
  });
}

void TSettingsTab::Bind(QComboBox* list, int M::*field, TChanged changed) {
  const TSettingDescription& setting = SettingOf(field);
  ShowHint(list, setting);
  connect(list, &QComboBox::activated, this, [this, &setting, field, changed](int position) {
    Model.*field = position;
    Changed(setting, changed);
  });
}

void TSettingsTab::Bind(QLineEdit* edit, std::string M::*field, TChanged changed) {
  ShowHint(edit, SettingOf(field));
  connect(edit, &QLineEdit::textChanged, this, [this, field, changed](const QString& text) {
    Model.*field = text.toStdString();
    if (changed) changed();
  });
}
