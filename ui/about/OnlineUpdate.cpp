#include "ui/about/OnlineUpdate.h"

#include <QApplication>
#include <QNetworkAccessManager>
#include <QPointer>
#include <QRandomGenerator>

#include "ui/about/ProgramVersion.h"
#include "ui/about/ProgressWindow.h"
#include "ui/about/UpdateFoundDialog.h"
#include "ui/about/VersionComparison.h"
#include "widgets/MessageBoxes.h"

TOnlineUpdate::TOnlineUpdate(const QUrl& versionUrl, const QUrl& downloadUrl, QWidget* mainWindow)
    : QObject(mainWindow),
      FVersionUrl(versionUrl),
      FDownloadUrl(downloadUrl),
      FMainWindow(mainWindow),
      FNetwork(new QNetworkAccessManager(this)) {
  setObjectName(QStringLiteral("OnlineUpdate"));
}

TOnlineUpdate::~TOnlineUpdate() = default;

QWidget* TOnlineUpdate::Owner() const {
  QWidget* active = QApplication::activeWindow();
  return active ? active : FMainWindow;
}

quint32 TOnlineUpdate::NextRandom() {
  quint32 random;
  do random = QRandomGenerator::global()->generate();
  while (random == FLastRandom);
  FLastRandom = random;
  return random;
}

QString TOnlineUpdate::FetchRemoteVersion(QWidget* owner, const QString& localVersion) {
  TProgressWindow progress(owner);
  progress.SetText(LangPending + QStringLiteral("..."));
  const QUrl request = VersionRequestUrl(FVersionUrl, localVersion, NextRandom());
  return QString::fromUtf8(FetchVersionFile(*FNetwork, request, FLimits));
}

void TOnlineUpdate::CheckNow(bool silent) {
  if (FChecking) return;  // a check is under way already
  if (FVersionUrl.isEmpty()) {
    if (!silent) MessageBoxes().ShowInfo(Owner(), LangNoAddress.arg(QString::fromLatin1(kProductName)));
    return;
  }
  QPointer<TOnlineUpdate> self(this);
  FChecking = true;
  const QPointer<QWidget> owner(Owner());
  try {
    const QString localVersion = LocalVersionText();
    const QString remoteVersion = FetchRemoteVersion(owner, localVersion);
    if (!self) return;
    FChecking = false;
    if (IsNewerVersion(remoteVersion, localVersion))
      ShowUpdateFound(owner, localVersion, remoteVersion.trimmed());
    else if (!silent)
      MessageBoxes().ShowInfo(owner, LangSameVer);
  } catch (const std::exception& error) {
    if (!self) return;  // the owner closed while the check waited
    FChecking = false;
    MessageBoxes().ShowError(owner, LangException + QStringLiteral(": ") + QString::fromUtf8(error.what()));
  }
}

QString TOnlineUpdate::UpdateFoundMessage(const QString& localVersion, const QString& remoteVersion) const {
  return LangNewVerText.arg(QString::fromLatin1(kProductName)) + QStringLiteral("\n\n") + LangLocalVer +
         QStringLiteral(": ") + localVersion + QStringLiteral("\n") + LangRemoteVer + QStringLiteral(": ") +
         remoteVersion;
}

void TOnlineUpdate::ShowUpdateFound(QWidget* owner, const QString& localVersion, const QString& remoteVersion) {
  TUpdateFoundDialog dialog(LangNewVerHead, UpdateFoundMessage(localVersion, remoteVersion), LangGetUpdate,
                            FDownloadUrl, owner);
  dialog.exec();
}
