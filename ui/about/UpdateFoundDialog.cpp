#include "ui/about/UpdateFoundDialog.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/about/HelpActions.h"
#include "ui/about/ProductLogo.h"
#include "ui/about/WindowPlacement.h"
#include "widgets/ScreenScale.h"

TUpdateFoundDialog::TUpdateFoundDialog(const QString& caption, const QString& message, const QString& button,
                                       const QUrl& downloadUrl, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), FDownloadUrl(downloadUrl) {
  setObjectName(QStringLiteral("UpdateFoundDialog"));
  setWindowTitle(caption);
  setFixedSize(ScaleToScreen(300), ScaleToScreen(190));

  auto* group = new QGroupBox(this);
  auto* icon = new QLabel(group);
  const int iconSide = ScaleToScreen(32);
  icon->setPixmap(ProgramIcon().pixmap(iconSide, iconSide));
  icon->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  FMessage = new QLabel(message, group);
  FMessage->setObjectName(QStringLiteral("MessageLabel"));
  FMessage->setTextFormat(Qt::PlainText);
  FMessage->setWordWrap(true);
  FMessage->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  QFont bold = FMessage->font();
  bold.setBold(true);
  FMessage->setFont(bold);
  auto* groupLayout = new QHBoxLayout(group);
  groupLayout->addWidget(icon);
  groupLayout->addWidget(FMessage, 1);

  FDownloadButton = new QPushButton(button, this);
  FDownloadButton->setObjectName(QStringLiteral("DownloadButton"));
  FDownloadButton->setFixedHeight(ScaleToScreen(25));
  FDownloadButton->setDefault(true);
  connect(FDownloadButton, &QPushButton::clicked, this, &TUpdateFoundDialog::Download);

  auto* layout = new QVBoxLayout(this);
  const int border = ScaleToScreen(10);
  layout->setContentsMargins(border, border, border, border);
  layout->addWidget(group, 1);
  layout->addWidget(FDownloadButton);
  CenterOnOwner(*this, owner);
}

QString TUpdateFoundDialog::Message() const { return FMessage->text(); }

void TUpdateFoundDialog::Download() {
  OpenAddress(this, FDownloadUrl);
  accept();
}
