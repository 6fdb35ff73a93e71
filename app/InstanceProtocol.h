#pragma once
// How a second launch talks to the running instance: one request over the
// local socket "OveldaTarnwick" (only this user may connect), answered once
// the first instance has handled it, so the sender knows its command has
// taken effect before it exits.
//
// Request: code (32-bit, little-endian), byte count (32-bit), then for code
// 4000 the whole command line as UTF-16LE text with its terminating zero
// (byte count = 2 x (characters + 1)); other codes carry no data.
// Answer: the code echoed back (32-bit).

#include <QByteArray>
#include <QLocalServer>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

// The largest command line accepted; a request announcing more is refused
// without reading it.
constexpr uint32_t kMaxForwardedBytes = 1024 * 1024;
constexpr uint32_t kHeaderBytes = 8;

struct TInstanceRequest {
  uint32_t Code = 0;
  QString CommandLine;
};

// The socket's name: "OveldaTarnwick", inside $XDG_RUNTIME_DIR when that is
// set (private to the user there), else in the system's socket directory.
QString InstanceServerName();

QByteArray EncodeInstanceRequest(const TInstanceRequest& request);
// A whole request from the start of bytes: the request and the bytes it
// took; nothing while more bytes are needed. Throws std::runtime_error for a
// request that cannot be valid (too long, odd length, no terminating zero).
std::optional<std::pair<TInstanceRequest, qsizetype>> DecodeInstanceRequest(const QByteArray& bytes);

// The first instance's side: listens and runs the handler for each request
// on the event loop, answering when the handler has returned.
class TInstanceServer : public QObject {
  Q_OBJECT
 public:
  using THandler = std::function<void(const TInstanceRequest&)>;
  explicit TInstanceServer(THandler handler, QObject* parent = nullptr);

  // Starts listening; takes over a socket left behind by an instance that
  // died. False with the reason when the name cannot be taken.
  bool Listen(QString& whyNot);

 private:
  void Accept();

  THandler FHandler;
  QLocalServer FServer;
};

enum class TForwardResult {
  frNoInstance,  // nobody listens: this launch is the first instance
  frDelivered,   // the running instance has handled the request
  frFailed,      // an instance answered the connection but not the request
};

// The second instance's side: sends the request and waits for the answer.
TForwardResult ForwardToRunningInstance(const TInstanceRequest& request, int answerTimeoutMs, QString& why);
