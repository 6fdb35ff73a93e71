#include "ui/main/BridgingForm.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "widgets/MessageBoxes.h"

TBridgingForm::TBridgingForm(QWidget* parent, const TTcpAdapterList& adapters, const QStringList& names,
                             const TBridgeSettings& bridge)
    : QDialog(parent), FAdapters(adapters) {
  setObjectName(QStringLiteral("TBridgingForm"));
  setWindowTitle(tr("Ethernet Bridge"));

  CheckBoxEnableBridge = new QCheckBox(tr("Bridge the following adapters and enable packet forwarding"), this);
  CheckBoxEnableBridge->setObjectName(QStringLiteral("CheckBoxEnableBridge"));
  CheckBoxEnableBridge->setChecked(bridge.Enabled);
  AdapterAComboBox = MakeAdapterList("AdapterAComboBox", names, bridge.AdapterA);
  LabelAnd = new QLabel(tr("and"), this);
  LabelAnd->setObjectName(QStringLiteral("LabelAnd"));
  AdapterBComboBox = MakeAdapterList("AdapterBComboBox", names, bridge.AdapterB);
  ModalCtrlFrame = new TModalCtrlFrame(this);

  auto* pair = new QHBoxLayout;
  pair->addWidget(AdapterAComboBox, 1);
  pair->addWidget(LabelAnd);
  pair->addWidget(AdapterBComboBox, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(CheckBoxEnableBridge);
  layout->addLayout(pair);
  layout->addSpacing(8);
  layout->addWidget(ModalCtrlFrame);
  setMinimumWidth(480);

  connect(ModalCtrlFrame, &TModalCtrlFrame::OKClicked, this, &TBridgingForm::ModalCtrlFrameOKButtonClick);
}

QComboBox* TBridgingForm::MakeAdapterList(const char* name, const QStringList& names, const TAdapterName& stored) {
  auto* list = new QComboBox(this);
  list->setObjectName(QString::fromLatin1(name));
  list->addItems(names);
  list->setCurrentIndex(FindAdapterByName(FAdapters, stored));  // -1: no selection
  list->setMinimumContentsLength(16);
  list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  return list;
}

void TBridgingForm::ModalCtrlFrameOKButtonClick() {
  const int a = AdapterAComboBox->currentIndex();
  const int b = AdapterBComboBox->currentIndex();
  if (a < 0 || b < 0) {
    MessageBoxes().ShowError(this, tr("Both adapters must be specified"));
    return;
  }
  if (FAdapters.AdapterMediumList[static_cast<size_t>(a)] != FAdapters.AdapterMediumList[static_cast<size_t>(b)]) {
    MessageBoxes().ShowError(this, tr("Both adapters must be Ethernet (802.3) adapters"));
    return;
  }
  // Both threads of a bridge would intercept the same adapter and forward
  // its frames back onto itself.
  if (a == b) {
    MessageBoxes().ShowError(this, tr("Please choose two different adapters for the bridge"));
    return;
  }
  accept();
}

TBridgeSettings TBridgingForm::Bridge() const {
  TBridgeSettings bridge;
  bridge.Enabled = CheckBoxEnableBridge->isChecked();
  bridge.AdapterA = FAdapters.AdapterNameList[static_cast<size_t>(AdapterAComboBox->currentIndex())];
  bridge.AdapterB = FAdapters.AdapterNameList[static_cast<size_t>(AdapterBComboBox->currentIndex())];
  return bridge;
}
