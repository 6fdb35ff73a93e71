#include "config/windows/ModalCtrlFrame.h"

#include <QDialog>
#include <QHBoxLayout>

TModalCtrlFrame::TModalCtrlFrame(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("ModalCtrlFrame"));
  OKButton = new QPushButton(tr("OK"), this);
  OKButton->setObjectName(QStringLiteral("OKButton"));
  OKButton->setDefault(true);
  CancelButton = new QPushButton(tr("Cancel"), this);
  CancelButton->setObjectName(QStringLiteral("CancelButton"));

  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addStretch(1);
  layout->addWidget(OKButton);
  layout->addWidget(CancelButton);

  connect(OKButton, &QPushButton::clicked, this, &TModalCtrlFrame::OKClicked);
  connect(CancelButton, &QPushButton::clicked, this, [this] {
    if (auto* dialog = qobject_cast<QDialog*>(window())) dialog->reject();
  });
}
