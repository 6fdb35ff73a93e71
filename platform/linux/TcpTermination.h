#pragma once
// Cutting an established IPv4 TCP connection in this process (sock_diag
// SOCK_DESTROY, which needs CAP_NET_ADMIN). Addresses and ports in network
// byte order.
#include <cstdint>

struct TTcpConnection {
  uint32_t LocalAddress = 0;
  uint16_t LocalPort = 0;
  uint32_t RemoteAddress = 0;
  uint16_t RemotePort = 0;
};

// Throws the system's error when the kernel refuses.
void DestroyTcpConnection(const TTcpConnection& connection);
