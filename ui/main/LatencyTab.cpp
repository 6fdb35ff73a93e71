#include "ui/main/LatencyTab.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QVBoxLayout>

#include "settings/SettingsLabels.h"
#include "ui/main/TabControls.h"

namespace {

// The steps of the arrows and of the keyboard on the latency controls.
constexpr int kDelayStep = 10;
constexpr int kCorrelationStep = 5;
constexpr int kLatencyLineStep = 10;

}  // namespace

TLatencyTab::TLatencyTab(TSettingsModel& model, QWidget* parent) : TSettingsTab(model, parent) {
  setObjectName(QStringLiteral("tsLatency"));
  EnableLatencyCheckBox = new QCheckBox(tr("Enable Latency"), this);
  EnableLatencyCheckBox->setObjectName(QStringLiteral("EnableLatencyCheckBox"));
  QGroupBox* delayType =
      MakeChoiceGroup(this, "DelaySettingsRadioGroup", tr("Delay Type"), {tr("Fixed"), tr("Random")}, 1,
                      DelaySettingsRadioGroup);

  auto* share = new QGroupBox(tr("Latency"), this);
  share->setObjectName(QStringLiteral("gbLatency"));
  lblApplyDelayOn = MakeLabel(share, "lblApplyDelayOn", Qt::AlignHCenter);
  LatencyTrackBar = MakeTrackBar(share, "LatencyTrackBar");
  LatencyTrackBar->setSingleStep(kLatencyLineStep);
  LatencyTrackBar->setPageStep(kLatencyLineStep);
  LatencyTrackBar->setTickInterval(10);
  auto* shareLayout = new QVBoxLayout(share);
  shareLayout->addWidget(lblApplyDelayOn);
  shareLayout->addWidget(LatencyTrackBar);
  shareLayout->addWidget(BuildDelays());
  shareLayout->addStretch(1);

  auto* layout = new QGridLayout(this);
  layout->addWidget(EnableLatencyCheckBox, 0, 0);
  layout->addWidget(delayType, 1, 0);
  layout->addWidget(share, 0, 1, 3, 1);
  layout->setRowStretch(2, 1);
  layout->setColumnStretch(1, 1);
  ConnectControls();
}

QWidget* TLatencyTab::BuildDelays() {
  auto* panel = new QWidget(this);
  DelayFromUpDown = MakeSpin(panel, "DelayFromEdit", "DelayFromUpDown", kDelayStep);
  DelayToUpDown = MakeSpin(panel, "DelayToEdit", "DelayToUpDown", kDelayStep);
  udLatencyCorrelation = MakeSpin(panel, "leLatencyCorrelation", "udLatencyCorrelation", kCorrelationStep);
  lblDelayFrom = MakeCaption(panel, QString(), DelayFromUpDown);
  lblDelayTo = MakeCaption(panel, tr("Delay to (ms)"), DelayToUpDown);
  lblLatencyCorrelation = MakeCaption(panel, tr("Correlation, %"), udLatencyCorrelation);

  auto* layout = new QGridLayout(panel);
  layout->setContentsMargins(0, 4, 0, 0);
  layout->addWidget(lblDelayFrom, 0, 0);
  layout->addWidget(DelayFromUpDown, 1, 0);
  layout->addWidget(lblDelayTo, 0, 1);
  layout->addWidget(DelayToUpDown, 1, 1);
  layout->addWidget(lblLatencyCorrelation, 0, 2);
  layout->addWidget(udLatencyCorrelation, 1, 2);
  layout->setColumnStretch(3, 1);
  return panel;
}

void TLatencyTab::ConnectControls() {
  Bind(EnableLatencyCheckBox, &M::LatencyEnabled, [this] { EnableTabControls(this, EnableLatencyCheckBox); });
  Bind(DelaySettingsRadioGroup, &M::DelayType, [this] { ApplyDelayTypeRule(); });
  Bind(LatencyTrackBar, &M::LatencyPercent, [this] { UpdateLatencyLabel(); });
  Bind(DelayFromUpDown, &M::DelayFrom);
  Bind(DelayToUpDown, &M::DelayTo);
  Bind(udLatencyCorrelation, &M::Correlation);
}

void TLatencyTab::ApplyDelayTypeRule() {
  const bool random = Model.DelayType == 1;
  lblDelayFrom->setText(QString::fromStdString(DelayFromLabel(Model.DelayType)));
  for (QWidget* control : {static_cast<QWidget*>(lblDelayTo), static_cast<QWidget*>(DelayToUpDown),
                           static_cast<QWidget*>(lblLatencyCorrelation),
                           static_cast<QWidget*>(udLatencyCorrelation)}) {
    control->setVisible(random);
  }
}

void TLatencyTab::UpdateLatencyLabel() {
  lblApplyDelayOn->setText(QString::fromStdString(LatencyLabel(Model.LatencyPercent)));
}

void TLatencyTab::ShowModel() {
  ShowChecked(EnableLatencyCheckBox, Model.LatencyEnabled);
  ShowChoice(DelaySettingsRadioGroup, Model.DelayType);
  ShowValue(LatencyTrackBar, Model.LatencyPercent);
  ShowValue(DelayFromUpDown, Model.DelayFrom);
  ShowValue(DelayToUpDown, Model.DelayTo);
  ShowValue(udLatencyCorrelation, Model.Correlation);
  UpdateLatencyLabel();
  ApplyDelayTypeRule();
  EnableTabControls(this, EnableLatencyCheckBox);
}
