#pragma once
// TOnlineUpdate: the manual update check of the Help menu. It fetches the
// version file behind the wait window and tells the user whether a newer
// version exists, offering the download page when one does.
#include <QObject>
#include <QString>
#include <QUrl>

#include "ui/about/VersionFetch.h"

class QNetworkAccessManager;
class QWidget;

class TOnlineUpdate : public QObject {
  Q_OBJECT

 public:
  // mainWindow owns the checker and owns its windows when no other window is active.
  TOnlineUpdate(const QUrl& versionUrl, const QUrl& downloadUrl, QWidget* mainWindow);
  ~TOnlineUpdate() override;

  QUrl VersionUrl() const { return FVersionUrl; }
  QUrl DownloadUrl() const { return FDownloadUrl; }
  void SetLimits(const TFetchLimits& limits) { FLimits = limits; }

  // Fetches the version file and answers: the "Update Found" dialog when the
  // server names a newer version; the box LangSameVer otherwise, unless
  // silent; an error box (also when silent) when the check fails. Without a
  // version file address it fetches nothing and says so, unless silent.
  void CheckNow(bool silent);

  // The texts the check shows.
  QString LangPending = tr("Checking for Update");
  QString LangNewVerHead = tr("Update Found");
  QString LangNewVerText = tr("New version of %1 is available!");
  QString LangLocalVer = tr("Your version");
  QString LangRemoteVer = tr("New version");
  QString LangGetUpdate = tr("Download Now");
  QString LangSameVer = tr("No new version is available at this time. You are using the latest version.");
  QString LangException = tr("Unexpected exception occured");
  QString LangNoAddress = tr("This build of %1 has no update address, so it cannot look for a new version.");

  // The label of the "Update Found" dialog.
  QString UpdateFoundMessage(const QString& localVersion, const QString& remoteVersion) const;

 protected:
  // Shows the "Update Found" dialog modally.
  virtual void ShowUpdateFound(QWidget* owner, const QString& localVersion, const QString& remoteVersion);

 private:
  QWidget* Owner() const;
  QString FetchRemoteVersion(QWidget* owner, const QString& localVersion);
  quint32 NextRandom();

  QUrl FVersionUrl;
  QUrl FDownloadUrl;
  QWidget* FMainWindow;
  QNetworkAccessManager* FNetwork;
  TFetchLimits FLimits;
  quint32 FLastRandom = 0;
  bool FChecking = false;
};
