#include "ui/main/BlockingTab.h"

#include <QHBoxLayout>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "filter/PortBlocking.h"
#include "ui/main/TabControls.h"
#include "widgets/MessageBoxes.h"

namespace {

// Why the text is not a port list; empty when it is one.
QString PortListError(const QString& text) {
  try {
    TPortBlocking scratch;
    scratch.SetPortList(text.toStdString());
    return {};
  } catch (const EPortListFormat& error) {
    return QString::fromStdString(error.what());
  }
}

}  // namespace

TBlockingTab::TBlockingTab(TSettingsModel& model, QWidget* parent) : TSettingsTab(model, parent) {
  setObjectName(QStringLiteral("tsBlocking"));
  cbBlocking = new QCheckBox(tr("Enable Port Blocking"), this);
  cbBlocking->setObjectName(QStringLiteral("cbBlocking"));
  leBlocking = new QLineEdit(this);
  leBlocking->setObjectName(QStringLiteral("leBlocking"));
  leBlocking->setPlaceholderText(tr("e.g. 135-139, u161, t445"));
  FNormalFieldPalette = leBlocking->palette();

  auto* list = new QHBoxLayout;
  list->addWidget(MakeCaption(this, tr("List of Ports"), leBlocking));
  list->addWidget(leBlocking, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(cbBlocking);
  layout->addLayout(list);
  layout->addStretch(1);

  Bind(cbBlocking, &M::BlockingEnabled, [this] { EnableTabControls(this, cbBlocking); });
  // The list reaches the model only once it reads: see CheckPortList.
  ShowHint(leBlocking, SettingOf(&M::PortList));
  connect(leBlocking, &QLineEdit::textChanged, this, [this](const QString& text) {
    if (!PortListError(text).isEmpty()) return;
    Model.PortList = text.toStdString();
    ShowListValidity(true);
  });
  // Enter, and leaving a changed field.
  connect(leBlocking, &QLineEdit::editingFinished, this, &TBlockingTab::CheckPortList);
}

void TBlockingTab::CheckPortList() {
  const QString error = PortListError(leBlocking->text());
  ShowListValidity(error.isEmpty());
  if (error.isEmpty()) {
    Model.PortList = leBlocking->text().toStdString();
    emit ApplyRequested(TSettingsPart::spBlocking);
    return;
  }
  MessageBoxes().ShowError(this, tr("List of Ports: %1").arg(error));
}

void TBlockingTab::ShowListValidity(bool valid) {
  QPalette palette = FNormalFieldPalette;
  if (!valid) palette.setColor(QPalette::Base, kInvalidFieldColor);
  leBlocking->setPalette(palette);
}

void TBlockingTab::ShowModel() {
  ShowChecked(cbBlocking, Model.BlockingEnabled);
  {
    const QSignalBlocker quiet(leBlocking);
    leBlocking->setText(QString::fromStdString(Model.PortList));
  }
  ShowListValidity(PortListError(leBlocking->text()).isEmpty());
  EnableTabControls(this, cbBlocking);
}
