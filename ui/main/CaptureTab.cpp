#include "ui/main/CaptureTab.h"

#include <QAction>
#include <QFormLayout>
#include <QGroupBox>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "ui/main/Icons.h"
#include "ui/main/TabControls.h"

TCaptureTab::TCaptureTab(TSettingsModel& model, QWidget* parent) : TSettingsTab(model, parent) {
  setObjectName(QStringLiteral("tsCapture"));
  cbEnableCapture = new QCheckBox(tr("Enable Packet Capture"), this);
  cbEnableCapture->setObjectName(QStringLiteral("cbEnableCapture"));

  auto* box = new QGroupBox(tr("Write to Capture File"), this);
  box->setObjectName(QStringLiteral("gbCapture"));
  beCaptureBefore = MakeFileField(box, "beCaptureBefore");
  beCaptureAfter = MakeFileField(box, "beCaptureAfter");
  cmbCaptureMode = new QComboBox(box);
  cmbCaptureMode->setObjectName(QStringLiteral("cmbCaptureMode"));
  cmbCaptureMode->addItems({tr("Overwrite"), tr("Append"), tr("Auto rename")});
  auto* fields = new QFormLayout(box);
  fields->addRow(MakeCaption(box, tr("Before processing"), beCaptureBefore), beCaptureBefore);
  fields->addRow(MakeCaption(box, tr("After processing"), beCaptureAfter), beCaptureAfter);
  fields->addRow(MakeCaption(box, tr("Session write mode"), cmbCaptureMode), cmbCaptureMode);
  fields->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(cbEnableCapture);
  layout->addWidget(box);
  layout->addStretch(1);
  ConnectControls();
}

QLineEdit* TCaptureTab::MakeFileField(QWidget* parent, const char* name) {
  auto* field = new QLineEdit(parent);
  field->setObjectName(QString::fromLatin1(name));
  field->setClearButtonEnabled(false);
  QAction* browse = field->addAction(ProgramIcon(iiLoadProfile), QLineEdit::TrailingPosition);
  browse->setObjectName(QString::fromLatin1(name) + QStringLiteral("Button"));
  browse->setToolTip(tr("Choose the capture file"));
  connect(browse, &QAction::triggered, this, [this, field] { beCaptureRightButtonClick(field); });
  return field;
}

void TCaptureTab::ConnectControls() {
  // Nothing here applies: a simulation reads the capture fields when it starts.
  Bind(cbEnableCapture, &M::CaptureEnabled, [this] { EnableTabControls(this, cbEnableCapture); });
  Bind(beCaptureBefore, &M::CaptureBefore);
  Bind(beCaptureAfter, &M::CaptureAfter);
  Bind(cmbCaptureMode, &M::CaptureMode);
}

void TCaptureTab::beCaptureRightButtonClick(QLineEdit* field) {
  if (!AskCaptureFile) return;
  const QString name = AskCaptureFile();
  if (!name.isEmpty()) field->setText(name);
}

void TCaptureTab::ShowModel() {
  ShowChecked(cbEnableCapture, Model.CaptureEnabled);
  auto showText = [](QLineEdit* field, const std::string& text) {
    const QSignalBlocker quiet(field);
    field->setText(QString::fromStdString(text));
  };
  showText(beCaptureBefore, Model.CaptureBefore);
  showText(beCaptureAfter, Model.CaptureAfter);
  {
    const QSignalBlocker quiet(cmbCaptureMode);
    cmbCaptureMode->setCurrentIndex(Model.CaptureMode);  // -1 (no selection) for a mode outside the list
  }
  EnableTabControls(this, cbEnableCapture);
}
