#include "ui/main/LossTab.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QVBoxLayout>

#include "settings/SettingsLabels.h"
#include "ui/main/TabControls.h"

TLossTab::TLossTab(TSettingsModel& model, QWidget* parent) : TSettingsTab(model, parent) {
  setObjectName(QStringLiteral("tsLoss"));
  EnableLossCheckBox = new QCheckBox(tr("Enable Packet Loss"), this);
  EnableLossCheckBox->setObjectName(QStringLiteral("EnableLossCheckBox"));
  QGroupBox* lossType = MakeChoiceGroup(this, "LossTypeRadioGroup", tr("Loss Type"),
                                        {tr("Percentage"), tr("Fixed number")}, 1, LossTypeRadioGroup);

  auto* loss = new QGroupBox(tr("Loss"), this);
  loss->setObjectName(QStringLiteral("gbLoss"));
  lblLossPercent = MakeLabel(loss, "lblLossPercent", Qt::AlignHCenter);
  PacketLossTrackBar = MakeTrackBar(loss, "PacketLossTrackBar");
  auto* lossLayout = new QVBoxLayout(loss);
  lossLayout->addWidget(lblLossPercent);
  lossLayout->addWidget(PacketLossTrackBar);
  lossLayout->addWidget(BuildBursts(loss));
  lossLayout->addStretch(1);

  auto* layout = new QGridLayout(this);
  layout->addWidget(EnableLossCheckBox, 0, 0);
  layout->addWidget(lossType, 1, 0);
  layout->addWidget(loss, 0, 1, 3, 1);
  layout->setRowStretch(2, 1);
  layout->setColumnStretch(1, 1);
  ConnectControls();
}

QWidget* TLossTab::BuildBursts(QWidget* parent) {
  auto* panel = new QWidget(parent);
  udLossLo = MakeSpin(panel, "leLossLo", "udLossLo", 1);
  udLossHi = MakeSpin(panel, "leLossHi", "udLossHi", 1);
  auto* layout = new QGridLayout(panel);
  layout->setContentsMargins(0, 4, 0, 0);
  layout->addWidget(MakeCaption(panel, tr("Sequential loss, from"), udLossLo), 0, 0);
  layout->addWidget(udLossLo, 1, 0);
  layout->addWidget(MakeCaption(panel, tr("Sequential loss, to"), udLossHi), 0, 1);
  layout->addWidget(udLossHi, 1, 1);
  layout->setColumnStretch(2, 1);
  return panel;
}

void TLossTab::ConnectControls() {
  Bind(EnableLossCheckBox, &M::LossEnabled, [this] {
    EnableTabControls(this, EnableLossCheckBox);
    UpdateLossBurstState();
  });
  Bind(LossTypeRadioGroup, &M::LossType, [this] {
    UpdateLossBurstState();
    UpdateLossLabel();
  });
  Bind(PacketLossTrackBar, &M::LossPosition, [this] { UpdateLossLabel(); });
  Bind(udLossLo, &M::LossLo);
  Bind(udLossHi, &M::LossHi);
}

void TLossTab::UpdateLossBurstState() {
  const bool enabled = Model.LossType == 0 && EnableLossCheckBox->isChecked();
  udLossLo->setEnabled(enabled);
  udLossHi->setEnabled(enabled);
}

void TLossTab::UpdateLossLabel() {
  lblLossPercent->setText(QString::fromStdString(LossLabel(Model.LossPosition, Model.Resolution.Loss, Model.LossType == 1)));
}

void TLossTab::ShowModel() {
  SetShareRange(PacketLossTrackBar, Model.Resolution.Loss);
  ShowChecked(EnableLossCheckBox, Model.LossEnabled);
  ShowChoice(LossTypeRadioGroup, Model.LossType);
  ShowValue(PacketLossTrackBar, Model.LossPosition);
  ShowValue(udLossLo, Model.LossLo);
  ShowValue(udLossHi, Model.LossHi);
  UpdateLossLabel();
  EnableTabControls(this, EnableLossCheckBox);
  UpdateLossBurstState();
}
