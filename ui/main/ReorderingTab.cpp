#include "ui/main/ReorderingTab.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QVBoxLayout>

#include "settings/SettingsLabels.h"
#include "ui/main/TabControls.h"

TReorderingTab::TReorderingTab(TSettingsModel& model, QWidget* parent) : TSettingsTab(model, parent) {
  setObjectName(QStringLiteral("tsReordering"));
  EnableReorderingCheckBox = new QCheckBox(tr("Enable Packet Reordering"), this);
  EnableReorderingCheckBox->setObjectName(QStringLiteral("EnableReorderingCheckBox"));

  auto* share = new QGroupBox(tr("Packet Reordering"), this);
  share->setObjectName(QStringLiteral("gbReordering"));
  ReorderingLabel = MakeLabel(share, "ReorderingLabel", Qt::AlignHCenter);
  ReorderingTrackBar = MakeTrackBar(share, "ReorderingTrackBar");
  ReorderingGapUpDown = MakeSpin(share, "ReorderingGapEdit", "ReorderingGapUpDown", 1);
  auto* gap = new QGridLayout;
  gap->addWidget(MakeCaption(share, tr("Gap (packets)"), ReorderingGapUpDown), 0, 0);
  gap->addWidget(ReorderingGapUpDown, 1, 0);
  gap->setColumnStretch(1, 1);
  auto* shareLayout = new QVBoxLayout(share);
  shareLayout->addWidget(ReorderingLabel);
  shareLayout->addWidget(ReorderingTrackBar);
  shareLayout->addLayout(gap);
  shareLayout->addStretch(1);

  auto* layout = new QGridLayout(this);
  layout->addWidget(EnableReorderingCheckBox, 0, 0);
  layout->addWidget(share, 0, 1, 2, 1);
  layout->setRowStretch(1, 1);
  layout->setColumnStretch(1, 1);
  ConnectControls();
}

void TReorderingTab::ConnectControls() {
  Bind(EnableReorderingCheckBox, &M::ReorderingEnabled, [this] { EnableTabControls(this, EnableReorderingCheckBox); });
  Bind(ReorderingTrackBar, &M::ReorderingPosition, [this] { UpdateReorderingLabel(); });
  Bind(ReorderingGapUpDown, &M::ReorderingGap);
}

void TReorderingTab::UpdateReorderingLabel() {
  ReorderingLabel->setText(
      QString::fromStdString(::ReorderingLabel(Model.ReorderingPosition, Model.Resolution.Reordering)));
}

void TReorderingTab::ShowModel() {
  SetShareRange(ReorderingTrackBar, Model.Resolution.Reordering);
  ShowChecked(EnableReorderingCheckBox, Model.ReorderingEnabled);
  ShowValue(ReorderingTrackBar, Model.ReorderingPosition);
  ShowValue(ReorderingGapUpDown, Model.ReorderingGap);
  UpdateReorderingLabel();
  EnableTabControls(this, EnableReorderingCheckBox);
}
