#include "ui/main/TransferRateTab.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QSignalBlocker>

#include "ui/main/StatisticsList.h"
#include "ui/main/TabControls.h"

TTransferRateTab::TTransferRateTab(TSettingsModel& model, QWidget* parent) : TSettingsTab(model, parent) {
  setObjectName(QStringLiteral("tsTransferRate"));
  QGroupBox* direction = MakeChoiceGroup(this, "DirectionRadioGroup", tr("Traffic Direction"),
                                         {tr("Incoming"), tr("Outgoing"), tr("Both")}, 3, DirectionRadioGroup);
  auto* information = new QGroupBox(tr("Information"), this);
  information->setObjectName(QStringLiteral("gbInformation"));
  ListViewStats = CreateStatisticsList(information);
  auto* informationLayout = new QHBoxLayout(information);
  // Narrow margins: every counter row fits without a scroll bar.
  informationLayout->setContentsMargins(4, 2, 4, 4);
  informationLayout->addWidget(ListViewStats);

  auto* layout = new QGridLayout(this);
  layout->addWidget(BuildSpeedLimit(), 0, 0);
  layout->addWidget(direction, 1, 0);
  layout->addWidget(information, 0, 1, 3, 1);
  layout->setRowStretch(2, 1);
  layout->setColumnStretch(0, 1);

  Bind(RatesCombobox, &M::RateIndex);
  connect(EditRatesButton, &QToolButton::clicked, this, &TTransferRateTab::EditRatesRequested);
  Bind(DirectionRadioGroup, &M::Direction);
}

QWidget* TTransferRateTab::BuildSpeedLimit() {
  auto* box = new QGroupBox(tr("Speed Limit"), this);
  box->setObjectName(QStringLiteral("gbSpeedLimit"));
  RatesCombobox = new QComboBox(box);
  RatesCombobox->setObjectName(QStringLiteral("RatesCombobox"));
  RatesCombobox->setMaxVisibleItems(20);
  RatesCombobox->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  RatesCombobox->setMinimumContentsLength(24);
  EditRatesButton = new QToolButton(box);
  EditRatesButton->setObjectName(QStringLiteral("EditRatesButton"));
  EditRatesButton->setText(QStringLiteral("..."));
  EditRatesButton->setToolTip(tr("Customise Transfer Rates"));
  auto* layout = new QHBoxLayout(box);
  layout->addWidget(RatesCombobox, 1);
  layout->addWidget(EditRatesButton);
  return box;
}

void TTransferRateTab::RefreshRateList() {
  const QSignalBlocker quiet(RatesCombobox);
  RatesCombobox->clear();
  for (size_t i = 0; i < Model.Rates.Count(); ++i) {
    RatesCombobox->addItem(QString::fromStdString(Model.Rates[i].Name));
  }
  RatesCombobox->setCurrentIndex(Model.RateIndex);
}

void TTransferRateTab::ShowModel() {
  RefreshRateList();
  ShowChoice(DirectionRadioGroup, Model.Direction);
}
