#pragma once
// How a second launch talks to the running instance: one request over the
// local socket "OveldaTarnwick" in the instance directory (see
// InstanceDirectory.h), answered once the first instance has handled it, so
// the sender knows its command has taken effect before it exits.
//
// Request: code (32-bit, little-endian), byte count (32-bit), then for code
// 4000 the whole command line, for 4100 (the control channel) the control
// request, as UTF-16LE text with its terminating zero (byte count = 2 x
// (characters + 1)); other codes carry no data.
// Answer: the code echoed back (32-bit), then the outcome (32-bit: 0 done,
// 1 refused) and a byte count with the reason as UTF-16LE text with its
// zero (0 bytes when there is none); a control request's answer carries its
// output there, done or refused. A sender also takes an answer of the
// code alone, then the end of the connection, as done.

#include <QByteArray>
#include <QLocalServer>
#include <QLocalSocket>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

#include "common/FileDescriptor.h"

// The largest command line accepted; a request announcing more is refused
// without reading it.
constexpr uint32_t kMaxForwardedBytes = 1024 * 1024;
constexpr uint32_t kHeaderBytes = 8;

struct TInstanceRequest {
  uint32_t Code = 0;
  QString CommandLine;
};

// What the first instance made of a request.
struct TInstanceAnswer {
  bool Refused = false;
  QString Reason;  // why it was refused
};

QByteArray EncodeInstanceRequest(const TInstanceRequest& request);
// A whole request from the start of bytes: the request and the bytes it
// took; nothing while more bytes are needed. Throws std::runtime_error for a
// request that cannot be valid (too long, odd length, no terminating zero).
std::optional<std::pair<TInstanceRequest, qsizetype>> DecodeInstanceRequest(const QByteArray& bytes);

QByteArray EncodeInstanceAnswer(uint32_t code, const TInstanceAnswer& answer);
// The echoed code and the answer from all bytes the instance sent before it
// closed the connection; nothing when they are not a whole answer.
std::optional<std::pair<uint32_t, TInstanceAnswer>> DecodeInstanceAnswer(const QByteArray& bytes);

enum class TClaimResult {
  crOwned,        // this process owns the instance name and listens on it
  crTaken,        // another process owns it
  crUnreachable,  // the name cannot be used (why says why): no launch can reach this one
};

// The first instance's side: owns the instance name and runs the handler
// for each request on the event loop, answering when the handler has
// returned.
class TInstanceServer : public QObject {
  Q_OBJECT
 public:
  using THandler = std::function<TInstanceAnswer(const TInstanceRequest&)>;
  // The default instance, or the one of that name (see IsValidInstanceName).
  explicit TInstanceServer(std::string instance = {}, QObject* parent = nullptr);
  const std::string& Instance() const { return FInstance; }

  // Who handles requests; until one is set, a request is refused.
  void SetHandler(THandler handler);

  // Takes the owner lock and, holding it, listens on the name, replacing a
  // socket file that only a dead instance can have left. The lock is kept
  // for the server's life, also when listening fails.
  TClaimResult Claim(QString& why);

 private:
  void Accept();
  void Serve(QLocalSocket* socket, QByteArray& buffer);

  std::string FInstance;
  THandler FHandler;
  TFileDescriptor FLock;
  QLocalServer FServer;
};

enum class TForwardResult {
  frNoInstance,   // nobody owns the name; with a server given, this launch now does
  frUnreachable,  // the name cannot be used (why says why): this launch runs alone
  frDelivered,    // the running instance has handled the request (why: the text it answered with)
  frRefused,      // the running instance refused it (why: its reason)
  frFailed,       // an instance was found but did not take the request (why)
};

// The start of a launch that is not headless: hands the request to the
// owner of the instance name, or, when nobody owns it and claimant is
// given, makes claimant the owner. The owner lock decides, so of two
// launches at the same moment exactly one owns the name and the other
// forwards to it. The request goes only to a process of this user. Without
// a claimant, instance names the instance asked.
TForwardResult ForwardOrClaim(const TInstanceRequest& request, TInstanceServer* claimant, int answerTimeoutMs,
                              QString& why, const std::string& instance = {});
