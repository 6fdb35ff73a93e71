#include "platform/linux/TcpTermination.h"

#include <arpa/inet.h>
#include <linux/inet_diag.h>
#include <linux/sock_diag.h>
#include <netinet/in.h>

#include <cerrno>
#include <cstring>

#include "platform/linux/Netlink.h"

namespace {

std::string EndpointText(uint32_t address, uint16_t port) {
  char text[INET_ADDRSTRLEN] = {};
  ::inet_ntop(AF_INET, &address, text, sizeof text);
  return std::string(text) + " : " + std::to_string(ntohs(port));
}

}  // namespace

void DestroyTcpConnection(const TTcpConnection& connection) {
  TNetlinkSocket socket(NETLINK_SOCK_DIAG);
  TNetlinkMessage request(SOCK_DESTROY, 0);
  inet_diag_req_v2 target{};
  target.sdiag_family = AF_INET;
  target.sdiag_protocol = IPPROTO_TCP;
  target.idiag_states = ~0U;
  std::memcpy(target.id.idiag_src, &connection.LocalAddress, 4);
  std::memcpy(target.id.idiag_dst, &connection.RemoteAddress, 4);
  target.id.idiag_sport = connection.LocalPort;
  target.id.idiag_dport = connection.RemotePort;
  target.id.idiag_cookie[0] = INET_DIAG_NOCOOKIE;
  target.id.idiag_cookie[1] = INET_DIAG_NOCOOKIE;
  request.Append(target);
  int error = socket.Request(request);
  if (error != 0) {
    errno = -error;
    ThrowSystemError("Unable to terminate the connection " +
                     EndpointText(connection.LocalAddress, connection.LocalPort) + " - " +
                     EndpointText(connection.RemoteAddress, connection.RemotePort));
  }
}
