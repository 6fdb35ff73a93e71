#include "app/InstanceProtocol.h"

#include <QLocalSocket>
#include <QtEndian>
#include <stdexcept>

#include "config/CommandLine.h"

namespace {

const QString kInstanceName = QStringLiteral("OveldaTarnwick");

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

}  // namespace

QString InstanceServerName() {
  const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
  if (!runtime.isEmpty()) return QString::fromLocal8Bit(runtime) + QLatin1Char('/') + kInstanceName;
  return kInstanceName;
}

QByteArray EncodeInstanceRequest(const TInstanceRequest& request) {
  const QByteArray data = request.Code == kInstanceCommandLine ? Utf16WithZero(request.CommandLine) : QByteArray();
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
  if (count > 0) {
    const char* data = bytes.constData() + kHeaderBytes;
    const qsizetype units = count / 2;
    if (qFromLittleEndian<uint16_t>(data + count - 2) != 0) {
      throw std::runtime_error("The forwarded command line has no terminating zero");
    }
    QString text;
    text.reserve(units - 1);
    for (qsizetype i = 0; i + 1 < units; ++i) text.append(QChar(qFromLittleEndian<uint16_t>(data + 2 * i)));
    request.CommandLine = text;
  }
  return std::make_pair(request, static_cast<qsizetype>(kHeaderBytes + count));
}

TInstanceServer::TInstanceServer(THandler handler, QObject* parent)
    : QObject(parent), FHandler(std::move(handler)) {
  FServer.setSocketOptions(QLocalServer::UserAccessOption);
  connect(&FServer, &QLocalServer::newConnection, this, &TInstanceServer::Accept);
}

bool TInstanceServer::Listen(QString& whyNot) {
  const QString name = InstanceServerName();
  if (FServer.listen(name)) return true;
  if (FServer.serverError() == QAbstractSocket::AddressInUseError) {
    // Nobody answered on this name a moment ago (or we would be forwarding),
    // so the socket file is what a dead instance left behind.
    QLocalServer::removeServer(name);
    if (FServer.listen(name)) return true;
  }
  whyNot = FServer.errorString();
  return false;
}

void TInstanceServer::Accept() {
  while (QLocalSocket* socket = FServer.nextPendingConnection()) {
    auto buffer = std::make_shared<QByteArray>();
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket, buffer] {
      buffer->append(socket->readAll());
      try {
        const auto decoded = DecodeInstanceRequest(*buffer);
        if (!decoded) return;
        buffer->clear();
        const uint32_t code = decoded->first.Code;
        FHandler(decoded->first);
        QByteArray answer;
        AppendU32(answer, code);
        socket->write(answer);
        socket->flush();
        socket->disconnectFromServer();
      } catch (const std::exception&) {
        // A request no sender of ours would make: dropped unanswered.
        buffer->clear();
        socket->abort();
      }
    });
  }
}

TForwardResult ForwardToRunningInstance(const TInstanceRequest& request, int answerTimeoutMs, QString& why) {
  QLocalSocket socket;
  socket.connectToServer(InstanceServerName());
  if (!socket.waitForConnected(5000)) return TForwardResult::frNoInstance;
  const QByteArray bytes = EncodeInstanceRequest(request);
  socket.write(bytes);
  if (!socket.waitForBytesWritten(5000) && socket.bytesToWrite() > 0) {
    why = socket.errorString();
    return TForwardResult::frFailed;
  }
  QByteArray answer;
  while (answer.size() < 4) {
    if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(answerTimeoutMs)) {
      why = QStringLiteral("The running instance did not answer: ") + socket.errorString();
      return TForwardResult::frFailed;
    }
    answer.append(socket.readAll());
  }
  if (ReadU32(answer, 0) != request.Code) {
    why = QStringLiteral("The running instance gave an unexpected answer");
    return TForwardResult::frFailed;
  }
  return TForwardResult::frDelivered;
}
