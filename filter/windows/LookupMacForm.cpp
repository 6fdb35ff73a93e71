#include "filter/windows/LookupMacForm.h"

#include <QApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "widgets/IPEdit.h"
#include "widgets/MessageBoxes.h"

namespace {

struct TWaitCursor {
  TWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~TWaitCursor() { QApplication::restoreOverrideCursor(); }
  TWaitCursor(const TWaitCursor&) = delete;
  TWaitCursor& operator=(const TWaitCursor&) = delete;
};

}  // namespace

TLookupMacForm::TLookupMacForm(THWAddrLookup lookup, QWidget* parent)
    : QDialog(parent), FLookup(std::move(lookup)), FAddressEdit(new TIPv4Edit(this)) {
  setObjectName(QStringLiteral("LookupMacForm"));
  setWindowTitle(QStringLiteral("MAC Address Lookup"));
  FAddressEdit->setObjectName(QStringLiteral("AddressEdit"));

  auto* panel = new QGroupBox(QStringLiteral("Please enter an IP Address"), this);
  panel->setObjectName(QStringLiteral("AddressPanel"));
  auto* icon = new QLabel(panel);
  icon->setObjectName(QStringLiteral("IconImage"));
  const int iconSize = style()->pixelMetric(QStyle::PM_LargeIconSize, nullptr, this);
  icon->setPixmap(style()->standardIcon(QStyle::SP_DriveNetIcon, nullptr, this).pixmap(iconSize, iconSize));
  auto* panelLayout = new QHBoxLayout(panel);
  panelLayout->addWidget(icon);
  panelLayout->addSpacing(8);
  panelLayout->addWidget(FAddressEdit);
  panelLayout->addStretch();

  auto* lookupButton = new QPushButton(QStringLiteral("&Lookup"), this);
  lookupButton->setObjectName(QStringLiteral("LookupButton"));
  lookupButton->setDefault(true);
  auto* cancelButton = new QPushButton(QStringLiteral("&Cancel"), this);
  cancelButton->setObjectName(QStringLiteral("CancelButton"));
  cancelButton->setAutoDefault(false);
  connect(lookupButton, &QPushButton::clicked, this, &TLookupMacForm::Lookup);
  connect(cancelButton, &QPushButton::clicked, this, &TLookupMacForm::reject);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(lookupButton);
  buttons->addWidget(cancelButton);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(panel);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  setMinimumWidth(320);  // room for the caption
}

bool TLookupMacForm::event(QEvent* event) {
  if (event->type() == QEvent::WindowActivate) FAddressEdit->setFocus(Qt::ActiveWindowFocusReason);
  return QDialog::event(event);
}

void TLookupMacForm::Lookup() {
  THWAddr found;
  bool resolved;
  {
    // The neighbour table may have to ask the network; the window waits.
    TWaitCursor waitCursor;
    resolved = FLookup(FAddressEdit->EditAddr(), found);
  }
  if (!resolved) {
    MessageBoxes().ShowError(this, QStringLiteral("Unable to convert the IP address to a MAC address"));
    return;
  }
  FHWAddr = found;
  accept();
}
