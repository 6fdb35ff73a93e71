#include "platform/linux/PacketSocket.h"

#include <linux/if_packet.h>
#include <sys/socket.h>

#include <cerrno>
#include <stdexcept>
#include <string>

namespace {
// Room for a burst of full-size frames before send() has to wait.
constexpr int kSendBufferBytes = 4 << 20;
}

TPacketSocket::TPacketSocket(uint32_t adapterIndex, uint32_t mark)
    // Protocol 0: the socket is bound for sending only and sees no traffic.
    : FSocket(::socket(AF_PACKET, SOCK_RAW | SOCK_CLOEXEC, 0), "packet socket"), FAdapterIndex(adapterIndex) {
  if (adapterIndex == 0) throw std::invalid_argument("a packet socket needs an adapter index");
  sockaddr_ll address{};
  address.sll_family = AF_PACKET;
  address.sll_ifindex = static_cast<int>(adapterIndex);
  if (::bind(FSocket.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address) < 0)
    ThrowSystemError("binding a packet socket to adapter " + std::to_string(adapterIndex));
  if (::setsockopt(FSocket.Get(), SOL_SOCKET, SO_MARK, &mark, sizeof mark) < 0)
    ThrowSystemError("marking the packet socket");
  int size = kSendBufferBytes;
  // SO_SNDBUFFORCE passes the system limit; fall back to the limited size.
  if (::setsockopt(FSocket.Get(), SOL_SOCKET, SO_SNDBUFFORCE, &size, sizeof size) < 0)
    ::setsockopt(FSocket.Get(), SOL_SOCKET, SO_SNDBUF, &size, sizeof size);
}

TPacketSocket::TPacketSocket(TFileDescriptor socket, uint32_t adapterIndex)
    : FSocket(std::move(socket)), FAdapterIndex(adapterIndex) {
  sockaddr_ll address{};
  socklen_t length = sizeof address;
  if (::getsockname(FSocket.Get(), reinterpret_cast<sockaddr*>(&address), &length) < 0 ||
      address.sll_family != AF_PACKET || static_cast<uint32_t>(address.sll_ifindex) != adapterIndex)
    throw std::runtime_error("a received descriptor is not a packet socket bound to adapter " +
                             std::to_string(adapterIndex));
}

bool TPacketSocket::Send(const iovec* pieces, int count) {
  msghdr message{};
  message.msg_iov = const_cast<iovec*>(pieces);
  message.msg_iovlen = static_cast<size_t>(count);
  for (;;) {
    // Never waits: the caller may hold the engine's locks, and a transmit
    // queue that does not drain would freeze every thread behind them.
    if (::sendmsg(FSocket.Get(), &message, MSG_DONTWAIT) >= 0) return true;
    if (errno != EINTR) return false;
  }
}

void TPacketSocket::SetPromiscuous(bool on) {
  if (on == FPromiscuous) return;
  packet_mreq request{};
  request.mr_ifindex = static_cast<int>(FAdapterIndex);
  request.mr_type = PACKET_MR_PROMISC;
  int option = on ? PACKET_ADD_MEMBERSHIP : PACKET_DROP_MEMBERSHIP;
  if (::setsockopt(FSocket.Get(), SOL_PACKET, option, &request, sizeof request) < 0)
    ThrowSystemError("changing the promiscuous mode of adapter " + std::to_string(FAdapterIndex));
  FPromiscuous = on;
}
