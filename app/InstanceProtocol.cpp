#include "app/InstanceProtocol.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QLocalSocket>
#include <QPointer>
#include <QThread>
#include <QtEndian>
#include <stdexcept>

#include "app/InstanceDirectory.h"
#include "config/CommandLine.h"

namespace {

constexpr uint32_t kAnswerDone = 0;
constexpr uint32_t kAnswerRefused = 1;
constexpr uint32_t kAnswerHeaderBytes = 12;
// An owner that holds the lock listens a moment later; one that does not
// within this time cannot be reached.
constexpr int kOwnerListensWithinMs = 10000;
constexpr int kConnectTimeoutMs = 5000;

void AppendU32(QByteArray& bytes, uint32_t value) {
  const uint32_t little = qToLittleEndian(value);
  bytes.append(reinterpret_cast<const char*>(&little), sizeof little);
}

uint32_t ReadU32(const QByteArray& bytes, qsizetype at) {
  return qFromLittleEndian<uint32_t>(bytes.constData() + at);
}

QByteArray Utf16WithZero(const QString& text) {
  QByteArray bytes;
  for (QChar c : text) {
    const uint16_t unit = qToLittleEndian(c.unicode());
    bytes.append(reinterpret_cast<const char*>(&unit), sizeof unit);
  }
  bytes.append(2, '\0');
  return bytes;
}

// count bytes of UTF-16LE text with its zero; throws for what is none.
QString FromUtf16WithZero(const char* data, uint32_t count) {
  if (count % 2 != 0) throw std::runtime_error("The forwarded text is not UTF-16 text");
  const qsizetype units = count / 2;
  if (units == 0 || qFromLittleEndian<uint16_t>(data + count - 2) != 0) {
    throw std::runtime_error("The forwarded text has no terminating zero");
  }
  QString text;
  text.reserve(units - 1);
  for (qsizetype i = 0; i + 1 < units; ++i) text.append(QChar(qFromLittleEndian<uint16_t>(data + 2 * i)));
  return text;
}

QString ServerNameIn(const std::string& directory, const std::string& instance) {
  return QString::fromStdString(directory + "/" + InstanceFileName(instance));
}

// The process at the other end runs as this user. Only such a process may
// be handed a command line: it names files to read and may quit a run.
bool PeerIsThisUser(const QLocalSocket& socket, QString& why) {
  ucred peer{};
  socklen_t size = sizeof peer;
  if (getsockopt(static_cast<int>(socket.socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0) {
    why = QString::fromStdString(SystemErrorText("Cannot check the running instance's user"));
    return false;
  }
  if (peer.uid != geteuid()) {
    why = QStringLiteral("The instance socket belongs to another user (uid %1); nothing was sent").arg(peer.uid);
    return false;
  }
  return true;
}

TForwardResult ForwardTo(const QString& name, const TInstanceRequest& request, int answerTimeoutMs, QString& why) {
  QLocalSocket socket;
  socket.connectToServer(name);
  if (!socket.waitForConnected(kConnectTimeoutMs)) return TForwardResult::frNoInstance;
  if (!PeerIsThisUser(socket, why)) return TForwardResult::frFailed;
  socket.write(EncodeInstanceRequest(request));
  if (!socket.waitForBytesWritten(kConnectTimeoutMs) && socket.bytesToWrite() > 0) {
    why = socket.errorString();
    return TForwardResult::frFailed;
  }
  // The instance closes the connection once it has answered.
  QByteArray bytes;
  while (socket.state() == QLocalSocket::ConnectedState) {
    if (!socket.waitForReadyRead(answerTimeoutMs) && socket.state() == QLocalSocket::ConnectedState) {
      why = QStringLiteral("The running instance did not answer: ") + socket.errorString();
      return TForwardResult::frFailed;
    }
    bytes.append(socket.readAll());
  }
  bytes.append(socket.readAll());
  const auto answer = DecodeInstanceAnswer(bytes);
  if (!answer || answer->first != request.Code) {
    why = QStringLiteral("The running instance gave an unexpected answer");
    return TForwardResult::frFailed;
  }
  why = answer->second.Reason;
  return answer->second.Refused ? TForwardResult::frRefused : TForwardResult::frDelivered;
}

}  // namespace

QByteArray EncodeInstanceRequest(const TInstanceRequest& request) {
  const bool carriesText = request.Code == kInstanceCommandLine || request.Code == kInstanceControl;
  const QByteArray data = carriesText ? Utf16WithZero(request.CommandLine) : QByteArray();
  QByteArray bytes;
  AppendU32(bytes, request.Code);
  AppendU32(bytes, static_cast<uint32_t>(data.size()));
  return bytes + data;
}

std::optional<std::pair<TInstanceRequest, qsizetype>> DecodeInstanceRequest(const QByteArray& bytes) {
  if (bytes.size() < kHeaderBytes) return std::nullopt;
  TInstanceRequest request;
  request.Code = ReadU32(bytes, 0);
  const uint32_t count = ReadU32(bytes, 4);
  if (count > kMaxForwardedBytes) throw std::runtime_error("The forwarded command line is too long");
  if (count % 2 != 0) throw std::runtime_error("The forwarded command line is not UTF-16 text");
  if (bytes.size() < kHeaderBytes + count) return std::nullopt;
  if (count > 0) request.CommandLine = FromUtf16WithZero(bytes.constData() + kHeaderBytes, count);
  return std::make_pair(request, static_cast<qsizetype>(kHeaderBytes + count));
}

QByteArray EncodeInstanceAnswer(uint32_t code, const TInstanceAnswer& answer) {
  const QByteArray reason = answer.Reason.isEmpty() ? QByteArray() : Utf16WithZero(answer.Reason);
  QByteArray bytes;
  AppendU32(bytes, code);
  AppendU32(bytes, answer.Refused ? kAnswerRefused : kAnswerDone);
  AppendU32(bytes, static_cast<uint32_t>(reason.size()));
  return bytes + reason;
}

std::optional<std::pair<uint32_t, TInstanceAnswer>> DecodeInstanceAnswer(const QByteArray& bytes) {
  if (bytes.size() == 4) return std::make_pair(ReadU32(bytes, 0), TInstanceAnswer{});
  if (bytes.size() < kAnswerHeaderBytes) return std::nullopt;
  const uint32_t outcome = ReadU32(bytes, 4);
  const uint32_t count = ReadU32(bytes, 8);
  if (outcome > kAnswerRefused || bytes.size() != kAnswerHeaderBytes + qsizetype(count)) return std::nullopt;
  TInstanceAnswer answer;
  answer.Refused = outcome == kAnswerRefused;
  if (count > 0) {
    try {
      answer.Reason = FromUtf16WithZero(bytes.constData() + kAnswerHeaderBytes, count);
    } catch (const std::runtime_error&) {
      return std::nullopt;
    }
  }
  return std::make_pair(ReadU32(bytes, 0), answer);
}

TInstanceServer::TInstanceServer(std::string instance, QObject* parent) : QObject(parent), FInstance(std::move(instance)) {
  FServer.setSocketOptions(QLocalServer::UserAccessOption);
  connect(&FServer, &QLocalServer::newConnection, this, &TInstanceServer::Accept);
}

void TInstanceServer::SetHandler(THandler handler) { FHandler = std::move(handler); }

TClaimResult TInstanceServer::Claim(QString& why) {
  std::string whyNot;
  const std::string directory = InstanceDirectory(whyNot);
  if (directory.empty()) {
    why = QString::fromStdString(whyNot);
    return TClaimResult::crUnreachable;
  }
  TFileDescriptor lock;
  switch (TryTakeInstanceLock(directory, FInstance, lock, whyNot)) {
    case TLockResult::lrBusy:
      return TClaimResult::crTaken;
    case TLockResult::lrError:
      why = QString::fromStdString(whyNot);
      return TClaimResult::crUnreachable;
    case TLockResult::lrTaken:
      break;
  }
  FLock = std::move(lock);
  // Only the lock's holder touches the socket file, so one that is there
  // now belongs to an instance that has ended.
  const QString name = ServerNameIn(directory, FInstance);
  QLocalServer::removeServer(name);
  if (!FServer.listen(name)) {
    why = FServer.errorString();
    return TClaimResult::crUnreachable;
  }
  return TClaimResult::crOwned;
}

void TInstanceServer::Accept() {
  while (QLocalSocket* socket = FServer.nextPendingConnection()) {
    auto buffer = std::make_shared<QByteArray>();
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket, buffer] { Serve(socket, *buffer); });
  }
}

void TInstanceServer::Serve(QLocalSocket* socket, QByteArray& buffer) {
  buffer.append(socket->readAll());
  std::optional<std::pair<TInstanceRequest, qsizetype>> decoded;
  try {
    decoded = DecodeInstanceRequest(buffer);
  } catch (const std::exception&) {
    // A request no sender of ours would make: dropped unanswered.
    buffer.clear();
    socket->abort();
    return;
  }
  if (!decoded) return;
  buffer.clear();
  const TInstanceRequest& request = decoded->first;
  // The handler may run event loops of its own (a message box), in which
  // the sender's going away deletes the socket.
  const QPointer<QLocalSocket> alive(socket);
  const TInstanceAnswer answer =
      FHandler ? FHandler(request) : TInstanceAnswer{true, QStringLiteral("The running instance is starting up")};
  if (!alive) return;
  socket->write(EncodeInstanceAnswer(request.Code, answer));
  socket->flush();
  socket->disconnectFromServer();
}

TForwardResult ForwardOrClaim(const TInstanceRequest& request, TInstanceServer* claimant, int answerTimeoutMs,
                              QString& why, const std::string& instance) {
  std::string whyNot;
  const std::string directory = InstanceDirectory(whyNot);
  if (directory.empty()) {
    why = QString::fromStdString(whyNot);
    return TForwardResult::frUnreachable;
  }
  const QDeadlineTimer deadline(kOwnerListensWithinMs);
  for (;;) {
    if (claimant) {
      switch (claimant->Claim(why)) {
        case TClaimResult::crOwned:
          return TForwardResult::frNoInstance;
        case TClaimResult::crUnreachable:
          return TForwardResult::frUnreachable;
        case TClaimResult::crTaken:
          break;
      }
    } else {
      // Only asking: a lock taken here is given back at once.
      TFileDescriptor probe;
      switch (TryTakeInstanceLock(directory, instance, probe, whyNot)) {
        case TLockResult::lrTaken:
          return TForwardResult::frNoInstance;
        case TLockResult::lrError:
          why = QString::fromStdString(whyNot);
          return TForwardResult::frUnreachable;
        case TLockResult::lrBusy:
          break;
      }
    }
    const std::string& name = claimant ? claimant->Instance() : instance;
    const TForwardResult result = ForwardTo(ServerNameIn(directory, name), request, answerTimeoutMs, why);
    if (result != TForwardResult::frNoInstance) return result;
    if (deadline.hasExpired()) {
      why = QStringLiteral("Another launch of the program owns the instance but does not answer");
      return TForwardResult::frFailed;
    }
    QThread::msleep(20);
  }
}
