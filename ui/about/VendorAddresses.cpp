#include "ui/about/VendorAddresses.h"

#include <QByteArray>
#include <QtGlobal>

namespace {

QUrl AddressOrOverride(const char* variable, const char* address) {
  const QByteArray overridden = qgetenv(variable);
  return QUrl(overridden.isEmpty() ? QString::fromLatin1(address) : QString::fromUtf8(overridden));
}

}  // namespace

QUrl VersionFileUrl() {
  return AddressOrOverride("OVELDA_TARNWICK_UPDATE_URL", "https://www.ovelda-tarnwick.example/update/version.txt");
}

QUrl DownloadPageUrl() {
  return AddressOrOverride("OVELDA_TARNWICK_DOWNLOAD_URL", "https://www.ovelda-tarnwick.example/download/");
}

QUrl HomePageUrl() { return AddressOrOverride("OVELDA_TARNWICK_HOME_URL", "https://www.ovelda-tarnwick.example/"); }

QUrl SupportPageUrl() {
  return AddressOrOverride("OVELDA_TARNWICK_SUPPORT_URL", "https://www.ovelda-tarnwick.example/support/");
}
