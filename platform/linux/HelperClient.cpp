#include "platform/linux/HelperClient.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "platform/linux/helper/Datagram.h"

namespace {

constexpr char kHelperRelativePath[] = "/../libexec/ovelda-tarnwick/ovelda-tarnwick-helper";
// Above the descriptors a spawn hands over, so that the move onto the
// helper's descriptor 3 is always a real dup2.
constexpr int kHighDescriptor = 10;
// A helper that does not answer in this time is taken for hung: a guard
// against waiting for ever, far beyond what any request takes.
constexpr int kAnswerTimeoutSeconds = 30;

std::string Folder(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

void CheckMayRun(const std::string& path) {
  if (::access(path.c_str(), F_OK) != 0)
    throw std::runtime_error("The interception helper " + path +
                             " is missing: install the package ovelda-tarnwick, or run as root");
  if (::access(path.c_str(), X_OK) != 0)
    throw std::runtime_error(std::string("You may not start the interception helper ") + path +
                             ": add yourself to the group " + kHelperGroup + " and log in again");
}

pid_t Spawn(const std::string& path, int theirs) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, theirs, kHelperSocketFd);
  char* const argv[] = {const_cast<char*>(path.c_str()), nullptr};
  char* const envp[] = {nullptr};
  pid_t child = -1;
  const int error = ::posix_spawn(&child, path.c_str(), &actions, nullptr, argv, envp);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) {
    errno = error;
    ThrowSystemError("Unable to start the interception helper " + path);
  }
  return child;
}

THelperAnswer Receive(int socket, THelperRequestKind kind, std::vector<TFileDescriptor>& fds) {
  std::vector<uint8_t> buffer(kHelperMessageMax);
  TDatagram datagram = ReceiveDatagram(socket, buffer.data(), buffer.size(), kHelperMaxFds);
  fds.clear();
  for (int fd : datagram.Fds) fds.emplace_back(fd);
  errno = datagram.Error;
  if (datagram.Length < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
    throw std::runtime_error("The interception helper did not answer");
  if (datagram.Length < 0) ThrowSystemError("Unable to hear from the interception helper");
  if (datagram.Length == 0) throw std::runtime_error("The interception helper ended unexpectedly");
  const ssize_t length = datagram.Length;
  std::string why;
  std::optional<THelperAnswer> answer = DecodeHelperAnswer(buffer.data(), static_cast<size_t>(length), why);
  if (!answer || datagram.Cut || answer->FdCount != fds.size() ||
      answer->Kind != kind) {
    // A reply of a helper of another build: the two do not fit together.
    throw std::runtime_error("The interception helper answered in a form this program does not understand (" +
                             (why.empty() ? std::string("descriptors or kind do not match") : why) + ")");
  }
  return *answer;
}

}  // namespace

std::string HelperPathFor(const std::string& executable) { return Folder(executable) + kHelperRelativePath; }

THelperClient::THelperClient(const std::string& path) {
  CheckMayRun(path);
  int pair[2];
  if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, pair) < 0)
    ThrowSystemError("Unable to make a socket pair for the interception helper");
  FSocket = TFileDescriptor(pair[0]);
  TFileDescriptor theirs(pair[1]);
  const timeval timeout{kAnswerTimeoutSeconds, 0};
  ::setsockopt(FSocket.Get(), SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  TFileDescriptor high(::fcntl(theirs.Get(), F_DUPFD_CLOEXEC, kHighDescriptor), "moving the helper's socket");
  theirs.Reset();
  FChild = Spawn(path, high.Get());
  high.Reset();
  std::vector<TFileDescriptor> fds;
  try {
    FKernelAttach = Ask({THelperRequestKind::Hello}, fds).Attach;
  } catch (const std::exception&) {
    FSocket.Reset();
    ::waitpid(FChild, nullptr, 0);
    FChild = -1;
    throw;
  }
}

THelperClient::~THelperClient() {
  // Closing our end ends the helper, which removes what it kept first.
  FSocket.Reset();
  if (FChild > 0) ::waitpid(FChild, nullptr, 0);
}

THelperAnswer THelperClient::Ask(const THelperRequest& request, std::vector<TFileDescriptor>& fds) {
  std::lock_guard guard(FMutex);
  if (!FSocket.Valid()) throw std::runtime_error("The interception helper is not running");
  const std::vector<uint8_t> bytes = EncodeHelperRequest(request);
  ssize_t sent;
  do {
    sent = ::send(FSocket.Get(), bytes.data(), bytes.size(), MSG_NOSIGNAL);
  } while (sent < 0 && errno == EINTR);
  if (sent < 0) ThrowSystemError("The interception helper cannot be reached");
  THelperAnswer answer;
  try {
    answer = Receive(FSocket.Get(), request.Kind, fds);
  } catch (const std::exception&) {
    // Out of step with the helper: a late answer would be taken for the
    // next one. Closing our end ends it, and what it kept.
    FSocket.Reset();
    throw;
  }
  if (!answer.Ok) throw std::runtime_error(answer.Error);
  return answer;
}

void THelperClient::TerminateTcp(const TTcpConnection& connection) {
  THelperRequest request{THelperRequestKind::TerminateTcp};
  request.LocalAddress = connection.LocalAddress;
  request.LocalPort = connection.LocalPort;
  request.RemoteAddress = connection.RemoteAddress;
  request.RemotePort = connection.RemotePort;
  std::vector<TFileDescriptor> none;
  Ask(request, none);
}

void THelperClient::ResolveNeighbour(uint32_t interfaceIndex, uint32_t address) {
  THelperRequest request{THelperRequestKind::ResolveNeighbour, interfaceIndex};
  request.Neighbour = address;
  std::vector<TFileDescriptor> none;
  Ask(request, none);
}

TInterceptionParts THelperInterceptionSource::Intercept(uint32_t adapterIndex, uint32_t queueFlags) {
  THelperRequest request{THelperRequestKind::Intercept, adapterIndex, queueFlags, FAttach};
  std::vector<TFileDescriptor> fds;
  const THelperAnswer answer = FClient->Ask(request, fds);
  const TAttachKind kind = answer.Attach == THelperAttach::ClsBpf ? TAttachKind::ClsBpf : TAttachKind::Tcx;
  constexpr size_t kTapsAndMaps = 8;
  const size_t expected = kTapsAndMaps + (kind == TAttachKind::Tcx ? (queueFlags == 3 ? 3 : 2) : 0);
  if (fds.size() != expected)
    throw std::runtime_error("The interception helper handed over " + std::to_string(fds.size()) +
                             " descriptors for an interception instead of " + std::to_string(expected));
  TInterceptionParts parts(adapterIndex, queueFlags, kind, TTapDevice(std::move(fds[0])), TTapDevice(std::move(fds[1])));
  parts.InRing = std::move(fds[2]);
  parts.OutRing = std::move(fds[3]);
  parts.StackPort = std::move(fds[4]);
  parts.Maps = TSelectionMaps(std::move(fds[5]), std::move(fds[6]), std::move(fds[7]));
  for (size_t i = kTapsAndMaps; i < fds.size(); ++i) parts.Hooks.emplace_back(std::move(fds[i]));
  if (kind == TAttachKind::ClsBpf) {
    // The helper keeps cls_bpf filters; they go before our TAPs do.
    std::shared_ptr<THelperClient> client = FClient;
    parts.ReleaseHooks = TReleaseAction([client, adapterIndex] {
      std::vector<TFileDescriptor> none;
      try {
        client->Ask({THelperRequestKind::Release, adapterIndex}, none);
      } catch (const std::exception&) {
        // A helper that is gone has removed them already.
      }
    });
  }
  return parts;
}

std::unique_ptr<TPacketSocket> THelperInterceptionSource::OpenPort(uint32_t adapterIndex) {
  std::vector<TFileDescriptor> fds;
  FClient->Ask({THelperRequestKind::OpenPort, adapterIndex}, fds);
  if (fds.size() != 1) throw std::runtime_error("The interception helper handed over no packet socket");
  return std::make_unique<TPacketSocket>(std::move(fds[0]), adapterIndex);
}
