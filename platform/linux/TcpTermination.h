#pragma once
// Cutting an established IPv4 TCP connection (sock_diag SOCK_DESTROY, which
// needs CAP_NET_ADMIN). A process without it has the helper do it: the
// driver that talks to the helper installs itself as the process's
// terminator. Addresses and ports in network byte order.
#include <cstdint>
#include <functional>

struct TTcpConnection {
  uint32_t LocalAddress = 0;
  uint16_t LocalPort = 0;
  uint32_t RemoteAddress = 0;
  uint16_t RemotePort = 0;
};

// In this process; throws the system's error when the kernel refuses.
void DestroyTcpConnection(const TTcpConnection& connection);

using TTcpTerminator = std::function<void(const TTcpConnection&)>;
// Replaces the process's terminator; an empty one restores DestroyTcpConnection.
void SetTcpTerminator(TTcpTerminator terminator);
// Through the process's terminator.
void TerminateTcpConnection(const TTcpConnection& connection);
