#include "platform/linux/LinkSettings.h"

#include <linux/if_link.h>
#include <sys/socket.h>

#include <cerrno>
#include <stdexcept>

#include "common/FileDescriptor.h"
#include "platform/linux/LinkTable.h"
#include "platform/linux/Netlink.h"

namespace {

TNetlinkMessage LinkChange(uint32_t index) {
  TNetlinkMessage request(RTM_SETLINK, 0);
  ifinfomsg link{};
  link.ifi_family = AF_UNSPEC;
  link.ifi_index = static_cast<int>(index);
  request.Append(link);
  return request;
}

void Send(TNetlinkMessage& request, const std::string& what) {
  TNetlinkSocket socket(NETLINK_ROUTE);
  int error = socket.Request(request);
  if (error != 0) {
    errno = -error;
    ThrowSystemError(what);
  }
}

}  // namespace

void SetLinkAlias(uint32_t index, const std::string& alias) {
  TNetlinkMessage request = LinkChange(index);
  request.AddAttribute(IFLA_IFALIAS, alias.c_str(), alias.size() + 1);
  Send(request, "naming interface " + std::to_string(index));
}

void TurnOffIPv6AddressGeneration(uint32_t index) {
  std::string what = "turning off IPv6 addresses of interface " + std::to_string(index);
  TNetlinkMessage request = LinkChange(index);
  size_t families = request.BeginNested(IFLA_AF_SPEC);
  size_t inet6 = request.BeginNested(AF_INET6);
  request.AddAttribute(IFLA_INET6_ADDR_GEN_MODE, static_cast<uint8_t>(IN6_ADDR_GEN_MODE_NONE));
  request.EndNested(inet6);
  request.EndNested(families);
  TNetlinkSocket socket(NETLINK_ROUTE);
  int error = socket.Request(request);
  // A kernel without IPv6 has nothing to switch off.
  if (error == -EAFNOSUPPORT) error = 0;
  if (error != 0) {
    errno = -error;
    ThrowSystemError(what);
  }
  int mode = ReadLink(index).IPv6AddressGeneration;
  if (mode != -1 && mode != IN6_ADDR_GEN_MODE_NONE)
    throw std::runtime_error(what + ": the kernel kept address generation mode " + std::to_string(mode));
}
