#include "config/windows/TransferRatesFormEdit.h"

#include <QAction>
#include <QButtonGroup>
#include <QFormLayout>
#include <QStyle>
#include <QVBoxLayout>

#include "settings/FormatBitRate.h"
#include "settings/LinkTraceFile.h"
#include "widgets/MessageBoxes.h"

TTransferRatesFormEdit::TTransferRatesFormEdit(QWidget* parent, const QString& caption, const std::string& name,
                                               const std::string& rateText)
    : QDialog(parent) {
  setObjectName(QStringLiteral("TTransferRatesFormEdit"));
  setWindowTitle(caption);

  AliasEdit = new QLineEdit(QString::fromStdString(name), this);
  AliasEdit->setObjectName(QStringLiteral("AliasEdit"));
  AliasEdit->setMaxLength(kMaxRateNameLength);
  FixedRateButton = new QRadioButton(tr("&Fixed rate"), this);
  FixedRateButton->setObjectName(QStringLiteral("FixedRateButton"));
  FixedRateButton->setChecked(true);
  TraceFilesButton = new QRadioButton(tr("&Trace files"), this);
  TraceFilesButton->setObjectName(QStringLiteral("TraceFilesButton"));
  auto* kind = new QButtonGroup(this);
  kind->addButton(FixedRateButton);
  kind->addButton(TraceFilesButton);
  BpsEdit = new QLineEdit(QString::fromStdString(rateText), this);
  BpsEdit->setObjectName(QStringLiteral("BpsEdit"));
  TraceInEdit = MakeTraceField("TraceInEdit");
  TraceOutEdit = MakeTraceField("TraceOutEdit");
  TraceAverageLabel = new QLabel(this);
  TraceAverageLabel->setObjectName(QStringLiteral("TraceAverageLabel"));
  TraceAverageLabel->setWordWrap(true);
  ModalCtrlFrame = new TModalCtrlFrame(this);

  auto* fields = new QFormLayout;
  fields->setRowWrapPolicy(QFormLayout::WrapAllRows);
  fields->addRow(tr("Name"), AliasEdit);
  fields->addRow(FixedRateButton);
  fields->addRow(tr("Bit/s (e.g. 7000 or 30000:60000 for dual rate)"), BpsEdit);
  fields->addRow(TraceFilesButton);
  fields->addRow(tr("Incoming trace (one millisecond timestamp per 1504-byte delivery)"), TraceInEdit);
  fields->addRow(tr("Outgoing trace"), TraceOutEdit);
  fields->addRow(TraceAverageLabel);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(fields);
  layout->addSpacing(8);
  layout->addWidget(ModalCtrlFrame);
  setMinimumWidth(420);

  connect(kind, &QButtonGroup::buttonClicked, this, &TTransferRatesFormEdit::UpdateKind);
  connect(ModalCtrlFrame, &TModalCtrlFrame::OKClicked, this, &TTransferRatesFormEdit::OKButtonClick);
  UpdateKind();
}

QLineEdit* TTransferRatesFormEdit::MakeTraceField(const char* name) {
  auto* field = new QLineEdit(this);
  field->setObjectName(QString::fromLatin1(name));
  QAction* browse = field->addAction(style()->standardIcon(QStyle::SP_DialogOpenButton), QLineEdit::TrailingPosition);
  browse->setToolTip(tr("Choose the trace file"));
  connect(browse, &QAction::triggered, this, [this, field] {
    const QString chosen = AskTraceFile ? AskTraceFile() : QString();
    if (chosen.isEmpty()) return;
    field->setText(chosen);
    UpdateTraceAverage();
  });
  connect(field, &QLineEdit::editingFinished, this, &TTransferRatesFormEdit::UpdateTraceAverage);
  return field;
}

void TTransferRatesFormEdit::ShowTraces(const std::string& inPath, const std::string& outPath) {
  TraceInEdit->setText(QString::fromStdString(inPath));
  TraceOutEdit->setText(QString::fromStdString(outPath));
  TraceFilesButton->setChecked(true);
  UpdateKind();
  UpdateTraceAverage();
}

void TTransferRatesFormEdit::UpdateKind() {
  const bool traces = TraceFilesButton->isChecked();
  BpsEdit->setEnabled(!traces);
  TraceInEdit->setEnabled(traces);
  TraceOutEdit->setEnabled(traces);
  TraceAverageLabel->setEnabled(traces);
}

void TTransferRatesFormEdit::UpdateTraceAverage() {
  QStringList parts;
  for (const auto& [field, direction] : {std::pair{TraceInEdit, tr("incoming")}, std::pair{TraceOutEdit, tr("outgoing")}}) {
    if (field->text().isEmpty()) continue;
    try {
      const TLinkTrace trace = ReadLinkTraceFile(field->text().toStdString());
      const auto bits = static_cast<uint32_t>(std::min(trace.AverageBitRate(), 4294967295.0));
      parts << tr("%1 on average %2").arg(direction, QString::fromStdString(FormatBitRate(bits)));
    } catch (const ELinkTraceFile& error) {
      parts << QString::fromStdString(error.what());
    }
  }
  TraceAverageLabel->setText(parts.join(QStringLiteral("; ")));
}

std::string TTransferRatesFormEdit::RateName() const { return AliasEdit->text().toStdString(); }
std::string TTransferRatesFormEdit::RateText() const { return BpsEdit->text().toStdString(); }

bool TTransferRatesFormEdit::AcceptTraces() {
  for (QLineEdit* field : {TraceInEdit, TraceOutEdit}) {
    if (!field->text().isEmpty()) continue;
    field->setFocus();
    MessageBoxes().ShowError(this, tr("Please choose a trace file for each direction"));
    return false;
  }
  try {
    TShapingRate rate(RateName(), 0, 0);
    rate.LoadTraces(TraceInEdit->text().toStdString(), TraceOutEdit->text().toStdString());
    FRate = rate;
    return true;
  } catch (const ELinkTraceFile& error) {
    const bool inFault = QString::fromUtf8(error.what()).contains(TraceInEdit->text());
    (inFault ? TraceInEdit : TraceOutEdit)->setFocus();
    MessageBoxes().ShowError(this, QString::fromStdString(error.what()));
    return false;
  }
}

void TTransferRatesFormEdit::OKButtonClick() {
  if (AliasEdit->text().isEmpty()) {
    AliasEdit->setFocus();
    MessageBoxes().ShowError(this, tr("Please enter a transfer rate alias"));
    return;
  }
  if (IsReservedRateName(RateName())) {
    AliasEdit->setFocus();
    MessageBoxes().ShowError(this, tr("Please choose another alias: \"Unlimited\" is the entry without a limit"));
    return;
  }
  if (TraceFilesButton->isChecked()) {
    if (AcceptTraces()) accept();
    return;
  }
  try {
    FRate = TShapingRate(RateName(), RateText());
  } catch (const EShapingRateFormat& error) {
    BpsEdit->setFocus();
    MessageBoxes().ShowError(this, QString::fromStdString(error.what()));
    return;
  }
  accept();
}
