#include "config/windows/TransferRatesFormEdit.h"

#include <QFormLayout>
#include <QVBoxLayout>

#include "settings/ShapingRate.h"
#include "widgets/MessageBoxes.h"

TTransferRatesFormEdit::TTransferRatesFormEdit(QWidget* parent, const QString& caption, const std::string& name,
                                               const std::string& rateText)
    : QDialog(parent) {
  setObjectName(QStringLiteral("TTransferRatesFormEdit"));
  setWindowTitle(caption);

  AliasEdit = new QLineEdit(QString::fromStdString(name), this);
  AliasEdit->setObjectName(QStringLiteral("AliasEdit"));
  AliasEdit->setMaxLength(kMaxRateNameLength);
  BpsEdit = new QLineEdit(QString::fromStdString(rateText), this);
  BpsEdit->setObjectName(QStringLiteral("BpsEdit"));
  ModalCtrlFrame = new TModalCtrlFrame(this);

  auto* fields = new QFormLayout;
  fields->setRowWrapPolicy(QFormLayout::WrapAllRows);
  fields->addRow(tr("Name"), AliasEdit);
  fields->addRow(tr("Bit/s (e.g. 7000 or 30000:60000 for dual rate)"), BpsEdit);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(fields);
  layout->addSpacing(8);
  layout->addWidget(ModalCtrlFrame);
  setMinimumWidth(340);

  connect(ModalCtrlFrame, &TModalCtrlFrame::OKClicked, this, &TTransferRatesFormEdit::OKButtonClick);
}

std::string TTransferRatesFormEdit::RateName() const { return AliasEdit->text().toStdString(); }
std::string TTransferRatesFormEdit::RateText() const { return BpsEdit->text().toStdString(); }

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
  try {
    TShapingRate().ParseText(RateText());
  } catch (const EShapingRateFormat& error) {
    BpsEdit->setFocus();
    MessageBoxes().ShowError(this, QString::fromStdString(error.what()));
    return;
  }
  accept();
}
