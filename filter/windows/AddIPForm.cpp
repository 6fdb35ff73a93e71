#include "filter/windows/AddIPForm.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "widgets/IPEdit.h"
#include "widgets/MessageBoxes.h"

TAddIPForm::TAddIPForm(const TIPAddr& address, QWidget* parent) : QDialog(parent) {
  const bool ipv6 = address.Ver == atIPv6;
  setObjectName(QStringLiteral("AddIPForm"));
  setWindowTitle(QStringLiteral("Add an IPv%1 address").arg(ipv6 ? 6 : 4));

  if (ipv6)
    FAddressEdit = new TIPv6Edit(this);
  else
    FAddressEdit = new TIPv4Edit(this);
  FAddressEdit->setObjectName(QStringLiteral("AddressEdit"));
  FAddressEdit->SetEditAddr(address);
  // A new address starts blank rather than showing the zeros of the empty one.
  if (FAddressEdit->IsEmpty()) FAddressEdit->Clear();

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("OkButton"));
  buttons->button(QDialogButtonBox::Ok)->setDefault(true);
  buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("CancelButton"));
  connect(buttons, &QDialogButtonBox::accepted, this, &TAddIPForm::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &TAddIPForm::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(FAddressEdit);
  layout->addSpacing(8);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  setMinimumWidth(300);  // room for the caption
  FAddressEdit->setFocus();
}

TIPAddr TAddIPForm::Address() const { return FAddressEdit->EditAddr(); }

void TAddIPForm::accept() {
  if (FAddressEdit->IsEmpty()) {
    MessageBoxes().ShowError(this, QStringLiteral("Incorrect address"));
    FAddressEdit->setFocus();
    return;
  }
  QDialog::accept();
}

bool ExecuteAddIPForm(QWidget* parent, TIPAddr& address) {
  TAddIPForm form(address, parent);
  if (form.exec() != QDialog::Accepted) return false;
  address = form.Address();
  return true;
}
