#include "ui/main/CorruptionTab.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "settings/SettingsLabels.h"
#include "ui/main/TabControls.h"

namespace {

QRadioButton* Choice(QWidget* parent, const char* name, const QString& text) {
  auto* button = new QRadioButton(text, parent);
  button->setObjectName(QString::fromLatin1(name));
  return button;
}

}  // namespace

TCorruptionTab::TCorruptionTab(TSettingsModel& model, QWidget* parent) : TSettingsTab(model, parent) {
  setObjectName(QStringLiteral("tsCorruption"));
  cbCorruption = new QCheckBox(tr("Enable Packet Corruption"), this);
  cbCorruption->setObjectName(QStringLiteral("cbCorruption"));

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(cbCorruption);
  layout->addWidget(BuildChoices(), 1);
  FNormalFieldPalette = leCorruptBerValue->palette();
  ConnectControls();
}

QWidget* TCorruptionTab::BuildChoices() {
  auto* box = new QGroupBox(tr("Corruption"), this);
  box->setObjectName(QStringLiteral("gbCorruption"));
  rbCorruptPercent = Choice(box, "rbCorruptPercent", tr("Percentage of packets"));
  rbCorruptBitRate = Choice(box, "rbCorruptBitRate", tr("Bit error rate (BER)"));
  rbCorruptBitRatio = Choice(box, "rbCorruptBitRatio", tr("Bit error ratio (BER)"));
  CorruptionChoices = new QButtonGroup(box);
  CorruptionChoices->addButton(rbCorruptPercent, kCorruptPercent);
  CorruptionChoices->addButton(rbCorruptBitRate, kCorruptBitRate);
  CorruptionChoices->addButton(rbCorruptBitRatio, kCorruptBitRatio);

  lbCorruption = MakeLabel(box, "lbCorruption", Qt::AlignRight);
  tbCorruption = MakeTrackBar(box, "tbCorruption");
  auto* share = new QVBoxLayout;
  share->addWidget(lbCorruption);
  share->addWidget(tbCorruption);

  auto* layout = new QGridLayout(box);
  layout->addWidget(rbCorruptPercent, 0, 0);
  layout->addLayout(share, 0, 1, 2, 1);
  layout->addWidget(rbCorruptBitRate, 2, 0);
  layout->addWidget(rbCorruptBitRatio, 3, 0);
  layout->addWidget(BuildBitErrors(box), 2, 1, 2, 1);
  layout->setColumnStretch(1, 1);
  layout->setRowStretch(4, 1);
  return box;
}

QWidget* TCorruptionTab::BuildBitErrors(QWidget* parent) {
  auto* panel = new QWidget(parent);
  leCorruptBerValue = new QLineEdit(panel);
  leCorruptBerValue->setObjectName(QStringLiteral("leCorruptBerValue"));
  leCorruptBerValue->setAutoFillBackground(true);
  cmbCorruptBerUnit = new QComboBox(panel);
  cmbCorruptBerUnit->setObjectName(QStringLiteral("cmbCorruptBerUnit"));
  cmbCorruptBerUnit->addItems({tr("per second"), tr("per minute"), tr("per hour")});
  lblCorruptBerValue = MakeLabel(panel, "lblCorruptBerValue", Qt::AlignRight);
  lblCorruptBerValue->setBuddy(leCorruptBerValue);
  lblCorruptBerValue->setMinimumWidth(150);

  auto* layout = new QHBoxLayout(panel);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(lblCorruptBerValue);
  layout->addWidget(leCorruptBerValue, 1);
  layout->addWidget(cmbCorruptBerUnit);
  return panel;
}

void TCorruptionTab::ConnectControls() {
  Bind(cbCorruption, &M::CorruptionEnabled, [this] {
    EnableTabControls(this, cbCorruption);
    UpdateCorruptionState();
  });
  // A new choice applies only once the field holds a value it can use.
  for (QAbstractButton* button : CorruptionChoices->buttons()) ShowHint(button, SettingOf(&M::CorruptionChoice));
  connect(CorruptionChoices, &QButtonGroup::idClicked, this, [this](int choice) {
    Model.CorruptionChoice = choice;
    UpdateCorruptionState();
    CheckBitErrorValue();
  });
  Bind(tbCorruption, &M::CorruptionPosition, [this] { UpdateCorruptionLabel(); });
  Bind(leCorruptBerValue, &M::BitErrorText, [this] { CheckBitErrorValue(); });
  Bind(cmbCorruptBerUnit, &M::BitErrorUnit);
}

void TCorruptionTab::UpdateCorruptionState() {
  const bool enabled = cbCorruption->isChecked();
  const int choice = Model.CorruptionChoice;
  tbCorruption->setEnabled(enabled && choice == kCorruptPercent);
  lbCorruption->setEnabled(enabled && choice == kCorruptPercent);
  leCorruptBerValue->setEnabled(enabled && choice != kCorruptPercent);
  cmbCorruptBerUnit->setEnabled(enabled && choice == kCorruptBitRate);
  lblCorruptBerValue->setText(QString::fromStdString(BitErrorFieldLabel(choice)));
}

void TCorruptionTab::CheckBitErrorValue() {
  const bool valid = Model.CheckBitErrorValue();
  ShowFieldValidity();
  if (valid) emit ApplyRequested(TSettingsPart::spCorruption);
}

void TCorruptionTab::ShowFieldValidity() {
  QPalette palette = FNormalFieldPalette;
  if (Model.BitErrorInvalid) palette.setColor(QPalette::Base, kInvalidFieldColor);
  leCorruptBerValue->setPalette(palette);
}

void TCorruptionTab::UpdateCorruptionLabel() {
  lbCorruption->setText(
      QString::fromStdString(CorruptionLabel(Model.CorruptionPosition, Model.Resolution.Corruption)));
}

void TCorruptionTab::ShowModel() {
  SetShareRange(tbCorruption, Model.Resolution.Corruption);
  ShowChecked(cbCorruption, Model.CorruptionEnabled);
  ShowChoice(CorruptionChoices, Model.CorruptionChoice);
  ShowValue(tbCorruption, Model.CorruptionPosition);
  {
    const QSignalBlocker quiet(leCorruptBerValue);
    leCorruptBerValue->setText(QString::fromStdString(Model.BitErrorText));
  }
  {
    const QSignalBlocker quiet(cmbCorruptBerUnit);
    cmbCorruptBerUnit->setCurrentIndex(Model.BitErrorUnit);
  }
  UpdateCorruptionLabel();
  Model.CheckBitErrorValue();
  ShowFieldValidity();
  EnableTabControls(this, cbCorruption);
  UpdateCorruptionState();
}
