#include "ui/main/DuplicationTab.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QVBoxLayout>

#include "settings/SettingsLabels.h"
#include "ui/main/TabControls.h"

TDuplicationTab::TDuplicationTab(TSettingsModel& model, QWidget* parent) : TSettingsTab(model, parent) {
  setObjectName(QStringLiteral("tsDuplication"));
  EnableDuplicationCheckBox = new QCheckBox(tr("Enable Duplication"), this);
  EnableDuplicationCheckBox->setObjectName(QStringLiteral("EnableDuplicationCheckBox"));
  QGroupBox* type = MakeChoiceGroup(this, "DuplicationTypeRadioGroup", tr("Duplication Type"),
                                    {tr("Percentage"), tr("Fixed number")}, 1, DuplicationTypeRadioGroup);

  auto* share = new QGroupBox(tr("Duplication"), this);
  share->setObjectName(QStringLiteral("gbDuplication"));
  DuplicationLabel = MakeLabel(share, "DuplicationLabel", Qt::AlignHCenter);
  DuplicationTrackBar = MakeTrackBar(share, "DuplicationTrackBar");
  auto* shareLayout = new QVBoxLayout(share);
  shareLayout->addWidget(DuplicationLabel);
  shareLayout->addWidget(DuplicationTrackBar);
  shareLayout->addStretch(1);

  auto* layout = new QGridLayout(this);
  layout->addWidget(EnableDuplicationCheckBox, 0, 0);
  layout->addWidget(type, 1, 0);
  layout->addWidget(share, 0, 1, 3, 1);
  layout->setRowStretch(2, 1);
  layout->setColumnStretch(1, 1);
  ConnectControls();
}

void TDuplicationTab::ConnectControls() {
  Bind(EnableDuplicationCheckBox, &M::DuplicationEnabled,
       [this] { EnableTabControls(this, EnableDuplicationCheckBox); });
  Bind(DuplicationTypeRadioGroup, &M::DuplicationType, [this] { UpdateDuplicationLabel(); });
  Bind(DuplicationTrackBar, &M::DuplicationPosition, [this] { UpdateDuplicationLabel(); });
}

void TDuplicationTab::UpdateDuplicationLabel() {
  DuplicationLabel->setText(QString::fromStdString(::DuplicationLabel(
      Model.DuplicationPosition, Model.Resolution.Duplication, Model.DuplicationType == 1)));
}

void TDuplicationTab::ShowModel() {
  SetShareRange(DuplicationTrackBar, Model.Resolution.Duplication);
  ShowChecked(EnableDuplicationCheckBox, Model.DuplicationEnabled);
  ShowChoice(DuplicationTypeRadioGroup, Model.DuplicationType);
  ShowValue(DuplicationTrackBar, Model.DuplicationPosition);
  UpdateDuplicationLabel();
  EnableTabControls(this, EnableDuplicationCheckBox);
}
