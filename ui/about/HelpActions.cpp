#include "ui/about/HelpActions.h"

#include <QDesktopServices>

#include "ui/about/AboutForm.h"
#include "ui/about/ManualLocation.h"
#include "ui/about/VendorAddresses.h"
#include "widgets/MessageBoxes.h"

bool OpenAddress(QWidget* owner, const QUrl& url) {
  if (QDesktopServices::openUrl(url)) return true;
  MessageBoxes().ShowError(owner, QObject::tr("Unable to open %1").arg(url.toDisplayString()));
  return false;
}

void ShowHelpContents(QWidget* owner) {
  const QString manual = ManualPath();
  if (manual.isEmpty()) {
    MessageBoxes().ShowError(owner, QObject::tr("The manual (%1) was not found next to the program.")
                                        .arg(QString::fromLatin1(kManualFileName)));
    return;
  }
  OpenAddress(owner, QUrl::fromLocalFile(manual));
}

void ShowWebSite(QWidget* owner) {
  const QUrl home = HomePageUrl();
  if (home.isEmpty()) {
    MessageBoxes().ShowInfo(owner, QObject::tr("This build of %1 has no web-site address.")
                                       .arg(QString::fromLatin1(kProductName)));
    return;
  }
  OpenAddress(owner, home);
}

void ShowAboutWindow(QWidget* owner) {
  TAboutForm about(owner);
  about.exec();
}
