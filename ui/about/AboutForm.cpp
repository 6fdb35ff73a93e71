#include "ui/about/AboutForm.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSysInfo>
#include <QVBoxLayout>

#include "ui/about/HelpActions.h"
#include "ui/about/LinkLabel.h"
#include "ui/about/ProductLogo.h"
#include "ui/about/ProgramVersion.h"
#include "ui/about/VendorAddresses.h"
#include "widgets/MessageBoxes.h"
#include "widgets/ScreenScale.h"

namespace {

const char* const kLegalNotice =
    "Copyright \u00a9 Ovelda. All rights reserved.\n"
    "This program is provided as is, without warranty of any kind. Use it only on networks "
    "and machines you are allowed to test.";

}  // namespace

QString AboutVersionText() {
  const TProgramVersion version = ProgramVersion();
  const int bits = QSysInfo::WordSize;
  return QObject::tr("Version %1.%2.%3 %4-bit\nBuilt with Qt %5 for Linux on %6")
      .arg(version.Major)
      .arg(version.Minor)
      .arg(version.Release)
      .arg(bits)
      .arg(QString::fromLatin1(QT_VERSION_STR), QSysInfo::buildCpuArchitecture());
}

TAboutForm::TAboutForm(QWidget* owner) : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint) {
  setObjectName(QStringLiteral("AboutForm"));
  setWindowTitle(tr("About %1").arg(QString::fromLatin1(kProductName)));

  FLogoImage = new QLabel(this);
  FLogoImage->setObjectName(QStringLiteral("LogoImage"));
  FLogoImage->setPixmap(ProductLogo(ScaleToScreen(64)));
  FLogoImage->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

  FLawInfoLabel = new QLabel(tr(kLegalNotice), this);
  FLawInfoLabel->setObjectName(QStringLiteral("LawInfoLabel"));
  FLawInfoLabel->setWordWrap(true);
  FLawInfoLabel->setFixedWidth(ScaleToScreen(360));

  FOkButton = new QPushButton(tr("&OK"), this);
  FOkButton->setObjectName(QStringLiteral("OkButton"));
  FOkButton->setDefault(true);
  connect(FOkButton, &QPushButton::clicked, this, &QDialog::accept);

  auto* top = new QHBoxLayout;
  top->setSpacing(ScaleToScreen(16));
  top->addWidget(FLogoImage, 0, Qt::AlignTop);
  top->addWidget(CreateTexts(), 1);

  auto* bottom = new QHBoxLayout;
  bottom->addStretch(1);
  bottom->addWidget(FOkButton);

  auto* layout = new QVBoxLayout(this);
  const int border = ScaleToScreen(12);
  layout->setContentsMargins(border, border, border, border);
  layout->setSpacing(ScaleToScreen(10));
  layout->addLayout(top);
  layout->addWidget(FLawInfoLabel);
  layout->addLayout(bottom);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

QWidget* TAboutForm::CreateTexts() {
  auto* texts = new QWidget(this);
  FProductNameLabel = new QLabel(QString::fromLatin1(kProductName), texts);
  FProductNameLabel->setObjectName(QStringLiteral("ProductNameLabel"));
  QFont large = FProductNameLabel->font();
  large.setPointSize(11);
  large.setBold(true);
  FProductNameLabel->setFont(large);

  FVerInfoLabel = new QLabel(AboutVersionText(), texts);
  FVerInfoLabel->setObjectName(QStringLiteral("VerInfoLabel"));
  FVerInfoLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);

  auto* layout = new QVBoxLayout(texts);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(FProductNameLabel);
  layout->addWidget(FVerInfoLabel);
  layout->addSpacing(ScaleToScreen(6));
  layout->addWidget(CreateLinks());
  layout->addStretch(1);
  return texts;
}

QWidget* TAboutForm::CreateLinks() {
  auto* links = new QWidget(this);
  FWebSiteLabel = new TLinkLabel(tr("Web-site"), links);
  FWebSiteLabel->setObjectName(QStringLiteral("WebSiteLabel"));
  connect(FWebSiteLabel, &TLinkLabel::clicked, this, [this] { OpenAddress(this, HomePageUrl()); });
  FContactLabel = new TLinkLabel(tr("Contact us"), links);
  FContactLabel->setObjectName(QStringLiteral("ContactLabel"));
  connect(FContactLabel, &TLinkLabel::clicked, this, [this] { OpenAddress(this, SupportPageUrl()); });
  // A build without a web address offers no links to pages it does not have.
  FWebSiteLabel->setVisible(!HomePageUrl().isEmpty());
  FContactLabel->setVisible(!SupportPageUrl().isEmpty());

  auto* layout = new QHBoxLayout(links);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(ScaleToScreen(16));
  layout->addWidget(FWebSiteLabel);
  layout->addWidget(FContactLabel);
  layout->addStretch(1);
  return links;
}
