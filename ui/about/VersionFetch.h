#pragma once
// Fetches the update server's version file: the whole body of one small
// HTTP answer, with a deadline and a size limit, so that a silent server or
// a huge answer cannot keep the program waiting or fill its memory.
#include <QByteArray>
#include <QUrl>
#include <stdexcept>

class QNetworkAccessManager;

// The fetch failed; the message says why (the network's own error text, the
// server's status, the deadline or the size limit).
class EVersionFetch : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct TFetchLimits {
  int TimeoutMs = 15000;    // for the whole exchange, from the request to the last byte
  qint64 MaxBytes = 4096;   // a version file is a few bytes
};

// The address asked for: url with the query items ver (the local version)
// and random (a value that differs between requests, so no cache answers).
QUrl VersionRequestUrl(const QUrl& url, const QString& localVersion, quint32 random);

// Waits in a local event loop (the caller keeps its windows disabled) until
// the answer is complete; returns its body or raises EVersionFetch.
QByteArray FetchVersionFile(QNetworkAccessManager& network, const QUrl& url, const TFetchLimits& limits);
