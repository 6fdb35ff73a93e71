#include "ui/about/VendorAddresses.h"

#include <QByteArray>
#include <QtGlobal>

#ifndef OT_WEB_ADDRESS
#define OT_WEB_ADDRESS ""
#endif

namespace {

// The override when set, else the page below the configured web site.
QUrl AddressOrOverride(const char* variable, const char* page) {
  const QByteArray overridden = qgetenv(variable);
  if (!overridden.isEmpty()) return QUrl(QString::fromUtf8(overridden));
  const QUrl site = ConfiguredWebAddress();
  return site.isEmpty() ? QUrl() : site.resolved(QUrl(QString::fromLatin1(page)));
}

}  // namespace

QUrl ConfiguredWebAddress() {
  QString site = QString::fromUtf8(OT_WEB_ADDRESS).trimmed();
  if (site.isEmpty()) return {};
  // The pages lie below the site, also when its path has no closing slash.
  if (!site.endsWith(u'/')) site += u'/';
  return QUrl(site);
}

QUrl VersionFileUrl() { return AddressOrOverride("OVELDA_TARNWICK_UPDATE_URL", "update/version.txt"); }

QUrl DownloadPageUrl() { return AddressOrOverride("OVELDA_TARNWICK_DOWNLOAD_URL", "download/"); }

QUrl HomePageUrl() { return AddressOrOverride("OVELDA_TARNWICK_HOME_URL", ""); }

QUrl SupportPageUrl() { return AddressOrOverride("OVELDA_TARNWICK_SUPPORT_URL", "support/"); }
