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

  Bind(RatesCombobox, &M::RateIndex, [this] { ShowTraceOfRate(); });
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
  TraceLabel = new QLabel(box);
  TraceLabel->setObjectName(QStringLiteral("lblRateTrace"));
  TraceLabel->setVisible(false);
  auto* layout = new QGridLayout(box);
  layout->addWidget(RatesCombobox, 0, 0);
  layout->addWidget(EditRatesButton, 0, 1);
  layout->addWidget(TraceLabel, 1, 0, 1, 2);
  layout->setColumnStretch(0, 1);
  return box;
}

void TTransferRateTab::RefreshRateList() {
  const QSignalBlocker quiet(RatesCombobox);
  RatesCombobox->clear();
  for (size_t i = 0; i < Model.Rates.Count(); ++i) {
    RatesCombobox->addItem(QString::fromStdString(Model.Rates[i].Name));
  }
  RatesCombobox->setCurrentIndex(Model.RateIndex);
  ShowTraceOfRate();
}

void TTransferRateTab::ShowTraceOfRate() {
  const bool selected = Model.RateIndex >= 0 && static_cast<size_t>(Model.RateIndex) < Model.Rates.Count();
  const TShapingRate* rate = selected ? &Model.Rates[static_cast<size_t>(Model.RateIndex)] : nullptr;
  TraceLabel->setVisible(rate != nullptr && rate->HasTraces());
  if (rate != nullptr && rate->HasTraces()) TraceLabel->setText(QString::fromStdString(rate->DisplayText()));
}

void TTransferRateTab::ShowModel() {
  RefreshRateList();
  ShowChoice(DirectionRadioGroup, Model.Direction);
}
