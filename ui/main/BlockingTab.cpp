#include "ui/main/BlockingTab.h"

#include <QHBoxLayout>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "ui/main/TabControls.h"

TBlockingTab::TBlockingTab(TSettingsModel& model, QWidget* parent) : TSettingsTab(model, parent) {
  setObjectName(QStringLiteral("tsBlocking"));
  cbBlocking = new QCheckBox(tr("Enable Port Blocking"), this);
  cbBlocking->setObjectName(QStringLiteral("cbBlocking"));
  leBlocking = new QLineEdit(this);
  leBlocking->setObjectName(QStringLiteral("leBlocking"));
  leBlocking->setPlaceholderText(tr("e.g. 135-139, u161, t445"));

  auto* list = new QHBoxLayout;
  list->addWidget(MakeCaption(this, tr("List of Ports"), leBlocking));
  list->addWidget(leBlocking, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(cbBlocking);
  layout->addLayout(list);
  layout->addStretch(1);

  Bind(cbBlocking, &M::BlockingEnabled, [this] { EnableTabControls(this, cbBlocking); });
  Bind(leBlocking, &M::PortList);
  connect(leBlocking, &QLineEdit::returnPressed, this, [this] { emit ApplyRequested(TSettingsPart::spBlocking); });
}

void TBlockingTab::ShowModel() {
  ShowChecked(cbBlocking, Model.BlockingEnabled);
  {
    const QSignalBlocker quiet(leBlocking);
    leBlocking->setText(QString::fromStdString(Model.PortList));
  }
  EnableTabControls(this, cbBlocking);
}
