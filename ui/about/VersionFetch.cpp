#include "ui/about/VersionFetch.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QTimer>
#include <QUrlQuery>

namespace {

// One exchange: collects the body as it arrives and notes why it ended early.
class TVersionDownload {
 public:
  TVersionDownload(QNetworkReply& reply, const TFetchLimits& limits) : FReply(&reply), FLimits(limits) {}

  void Collect() {
    if (FTooLarge || !FReply) return;
    const QByteArray piece = FReply->read(FLimits.MaxBytes + 1 - FBody.size());
    FBody += piece;
    if (FBody.size() > FLimits.MaxBytes || FReply->bytesAvailable() > 0) Refuse();
  }
  void CheckAnnouncedSize(qint64 total) {
    if (total > FLimits.MaxBytes) Refuse();
  }
  void TimeOut() {
    FTimedOut = true;
    if (FReply) FReply->abort();
  }

  // The body, or the reason there is none.
  QByteArray Result() {
    if (!FReply) throw EVersionFetch("the check was cancelled");
    if (FTimedOut) {
      const int seconds = (FLimits.TimeoutMs + 999) / 1000;
      throw EVersionFetch(QStringLiteral("the update server did not answer within %1 %2")
                              .arg(seconds)
                              .arg(seconds == 1 ? QStringLiteral("second") : QStringLiteral("seconds"))
                              .toStdString());
    }
    if (!FTooLarge && FReply->error() != QNetworkReply::NoError)
      throw EVersionFetch(FReply->errorString().toStdString());
    const int status = FReply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status != 0 && (status < 200 || status > 299))
      throw EVersionFetch(QStringLiteral("the update server answered with status %1").arg(status).toStdString());
    Collect();
    if (FTooLarge)
      throw EVersionFetch(
          QStringLiteral("the update server's answer is larger than %1 bytes").arg(FLimits.MaxBytes).toStdString());
    return FBody;
  }

 private:
  void Refuse() {
    FTooLarge = true;
    FReply->abort();
  }

  QPointer<QNetworkReply> FReply;
  TFetchLimits FLimits;
  QByteArray FBody;
  bool FTimedOut = false;
  bool FTooLarge = false;
};

// Deletes the reply at the end of the fetch, unless it is gone already.
struct TReplyDeletion {
  QPointer<QNetworkReply>& Reply;
  ~TReplyDeletion() { delete Reply.data(); }
};

}  // namespace

QUrl VersionRequestUrl(const QUrl& url, const QString& localVersion, quint32 random) {
  QUrl request(url);
  QUrlQuery query(request);
  query.addQueryItem(QStringLiteral("ver"), localVersion);
  query.addQueryItem(QStringLiteral("random"), QString::number(random));
  request.setQuery(query);
  return request;
}

QByteArray FetchVersionFile(QNetworkAccessManager& network, const QUrl& url, const TFetchLimits& limits) {
  QNetworkRequest request(url);
  request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
  request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
  QPointer<QNetworkReply> reply = network.get(request);
  TVersionDownload download(*reply, limits);

  QEventLoop loop;
  QTimer deadline;
  deadline.setSingleShot(true);
  QObject::connect(&deadline, &QTimer::timeout, &loop, [&download] { download.TimeOut(); });
  QObject::connect(reply.data(), &QIODevice::readyRead, &loop, [&download] { download.Collect(); });
  QObject::connect(reply.data(), &QNetworkReply::downloadProgress, &loop,
                   [&download](qint64, qint64 total) { download.CheckAnnouncedSize(total); });
  QObject::connect(reply.data(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
  // The network object going away (its owner closed) ends the wait as well.
  QObject::connect(&network, &QObject::destroyed, &loop, &QEventLoop::quit);
  deadline.start(limits.TimeoutMs);
  // The caller's windows are disabled meanwhile, so no input reaches them.
  if (!reply->isFinished()) loop.exec();

  TReplyDeletion deletion{reply};
  return download.Result();
}
