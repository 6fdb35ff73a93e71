// ovelda-tarnwick-helper: the only part of Ovelda Tarnwick that holds
// capabilities (CAP_NET_ADMIN, CAP_NET_RAW and CAP_BPF, from its file). The
// program starts it as a child with one end of a socket pair on descriptor 3
// and asks it, one message at a time, for what needs those capabilities. It
// takes no arguments, reads no environment and opens no path it is given.
// It ends when the program's end of the pair closes, whatever way the
// program ended, and removes then the filters it kept.
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/linux/HookOwners.h"
#include "platform/linux/helper/Datagram.h"
#include "platform/linux/helper/HelperCapabilities.h"
#include "platform/linux/helper/HelperService.h"

namespace {

// Exit codes: the program reports them when the helper ends early.
constexpr int kExitUsage = 2;
constexpr int kExitCapabilities = 3;

bool IsOurSocket(int fd) {
  int type = 0;
  socklen_t length = sizeof type;
  int domain = 0;
  socklen_t domainLength = sizeof domain;
  return ::getsockopt(fd, SOL_SOCKET, SO_TYPE, &type, &length) == 0 && type == SOCK_SEQPACKET &&
         ::getsockopt(fd, SOL_SOCKET, SO_DOMAIN, &domain, &domainLength) == 0 && domain == AF_UNIX;
}

// Only the socket and standard error stay open: nothing else the program
// had open may reach a privileged process.
void CloseOtherDescriptors() {
  const int null = ::open("/dev/null", O_RDWR | O_CLOEXEC);
  if (null >= 0) {
    ::dup2(null, STDIN_FILENO);
    ::dup2(null, STDOUT_FILENO);
    ::close(null);
  }
  ::close_range(kHelperSocketFd + 1, ~0U, 0);
  ::fcntl(kHelperSocketFd, F_SETFD, FD_CLOEXEC);
}

// One datagram; 0 when the program's end has closed. Descriptors the
// program sends along are closed unread.
ssize_t Receive(uint8_t* buffer, size_t size, bool& cut) {
  TDatagram datagram = ReceiveDatagram(kHelperSocketFd, buffer, size, 8);
  for (int fd : datagram.Fds) ::close(fd);
  cut = datagram.Cut;
  errno = datagram.Error;
  return datagram.Length;
}

bool Send(const THelperReply& reply) {
  std::vector<uint8_t> bytes = EncodeHelperAnswer(reply.Answer);
  iovec piece{bytes.data(), bytes.size()};
  alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int) * kHelperMaxFds)] = {};
  msghdr message{};
  message.msg_iov = &piece;
  message.msg_iovlen = 1;
  if (!reply.Fds.empty()) {
    message.msg_control = control;
    message.msg_controllen = CMSG_SPACE(sizeof(int) * reply.Fds.size());
    cmsghdr* header = CMSG_FIRSTHDR(&message);
    header->cmsg_level = SOL_SOCKET;
    header->cmsg_type = SCM_RIGHTS;
    header->cmsg_len = CMSG_LEN(sizeof(int) * reply.Fds.size());
    for (size_t i = 0; i < reply.Fds.size(); ++i) {
      const int fd = reply.Fds[i].Get();
      std::memcpy(CMSG_DATA(header) + i * sizeof(int), &fd, sizeof fd);
    }
  }
  ssize_t sent;
  do {
    sent = ::sendmsg(kHelperSocketFd, &message, MSG_NOSIGNAL);
  } while (sent < 0 && errno == EINTR);
  return sent == static_cast<ssize_t>(bytes.size());
}

std::string OwnPath() {
  char path[4096];
  const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
  return length > 0 ? std::string(path, static_cast<size_t>(length)) : "ovelda-tarnwick-helper";
}

THelperReply Refusal(const std::string& why) {
  THelperReply reply;
  reply.Answer.Error = "The helper refused a request: " + why;
  return reply;
}

}  // namespace

int main(int argc, char**) {
  if (argc > 1 || !IsOurSocket(kHelperSocketFd)) {
    std::fprintf(stderr, "ovelda-tarnwick-helper is started by ovelda-tarnwick, not by hand\n");
    return kExitUsage;
  }
  CloseOtherDescriptors();
  try {
    const std::string missing = RestrictToHelperCapabilities();
    if (!missing.empty()) {
      THelperReply reply;
      reply.Answer.Error = "The interception helper " + OwnPath() + " lacks the capabilities " + missing +
                           ": install the package, or as root give them with setcap cap_net_admin,cap_net_raw,cap_bpf+ep";
      Send(reply);
      return kExitCapabilities;
    }
  } catch (const std::exception& error) {
    std::fprintf(stderr, "ovelda-tarnwick-helper: %s\n", error.what());
    return kExitCapabilities;
  }
  ucred peer{};
  socklen_t peerLength = sizeof peer;
  if (::getsockopt(kHelperSocketFd, SOL_SOCKET, SO_PEERCRED, &peer, &peerLength) < 0) return kExitUsage;
  THelperService service(peer.pid);
  {
    // Filters left behind by an instance that died without its helper.
    TEffectiveCapabilities capabilities(kCapNetAdmin);
    try {
      RemoveStaleClsBpfFilters();
    } catch (const std::exception&) {
    }
  }
  std::vector<uint8_t> buffer(kHelperMessageMax + 1);
  for (;;) {
    bool cut = false;
    const ssize_t length = Receive(buffer.data(), buffer.size(), cut);
    if (length <= 0) break;  // the program's end closed: remove what we keep
    std::string why;
    std::optional<THelperRequest> request =
        cut ? std::nullopt : DecodeHelperRequest(buffer.data(), static_cast<size_t>(length), why);
    if (cut) why = "message too long";
    if (!Send(request ? service.Handle(*request) : Refusal(why))) break;
  }
  return 0;
}
