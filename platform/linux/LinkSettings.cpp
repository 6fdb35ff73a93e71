#include "platform/linux/LinkSettings.h"

#include <linux/if_link.h>
#include <sys/socket.h>

#include <cerrno>
#include <stdexcept>

#include "common/FileDescriptor.h"
#include "platform/linux/LinkTable.h"
#include "platform/linux/Netlink.h"

namespace {

// Sends a change; `ignored` is an error that means there was nothing to do.
void Send(TNetlinkMessage& request, const std::string& what, int ignored = 0) {
  TNetlinkSocket socket(NETLINK_ROUTE);
  int error = socket.Request(request);
  if (error != 0 && error != ignored) {
    errno = -error;
    ThrowSystemError(what);
  }
}

}  // namespace

void SetLinkAlias(uint32_t index, const std::string& alias) {
  TNetlinkMessage request = LinkMessage(RTM_SETLINK, index);
  request.AddAttribute(IFLA_IFALIAS, alias.c_str(), alias.size() + 1);
  Send(request, "naming interface " + std::to_string(index));
}

void TurnOffIPv6AddressGeneration(uint32_t index) {
  std::string what = "turning off IPv6 addresses of interface " + std::to_string(index);
  TNetlinkMessage request = LinkMessage(RTM_SETLINK, index);
  size_t families = request.BeginNested(IFLA_AF_SPEC);
  size_t inet6 = request.BeginNested(AF_INET6);
  request.AddAttribute(IFLA_INET6_ADDR_GEN_MODE, static_cast<uint8_t>(IN6_ADDR_GEN_MODE_NONE));
  request.EndNested(inet6);
  request.EndNested(families);
  // A kernel without IPv6 has nothing to switch off.
  Send(request, what, -EAFNOSUPPORT);
  int mode = ReadLink(index).IPv6AddressGeneration;
  if (mode != -1 && mode != IN6_ADDR_GEN_MODE_NONE)
    throw std::runtime_error(what + ": the kernel kept address generation mode " + std::to_string(mode));
}
