#include "platform/linux/LinkTable.h"

#include <linux/if_link.h>
#include <sys/socket.h>

#include <cerrno>

#include "platform/linux/Netlink.h"

namespace {

std::string LinkKind(const TAttributeTable& attributes) {
  if (!attributes.Has(IFLA_LINKINFO)) return {};
  TAttributeTable info(attributes.Data(IFLA_LINKINFO), attributes.Size(IFLA_LINKINFO), IFLA_INFO_KIND);
  return info.Text(IFLA_INFO_KIND);
}

int IPv6AddressGeneration(const TAttributeTable& attributes) {
  if (!attributes.Has(IFLA_AF_SPEC)) return -1;
  // One nested attribute per address family, typed by the family.
  TAttributeTable families(attributes.Data(IFLA_AF_SPEC), attributes.Size(IFLA_AF_SPEC), AF_INET6);
  if (!families.Has(AF_INET6)) return -1;
  TAttributeTable inet6(families.Data(AF_INET6), families.Size(AF_INET6), IFLA_INET6_ADDR_GEN_MODE);
  uint8_t mode = 0;
  return inet6.Read(IFLA_INET6_ADDR_GEN_MODE, mode) ? mode : -1;
}

TLinkInfo ParseLink(const nlmsghdr& header) {
  const auto& record = MessageRecord<ifinfomsg>(header);
  TAttributeTable attributes = MessageAttributes<ifinfomsg>(header, IFLA_MAX);
  TLinkInfo link;
  link.Index = static_cast<uint32_t>(record.ifi_index);
  link.Type = record.ifi_type;
  link.Flags = record.ifi_flags;
  link.Name = attributes.Text(IFLA_IFNAME);
  link.Alias = attributes.Text(IFLA_IFALIAS);
  attributes.Read(IFLA_MTU, link.Mtu);
  attributes.Read(IFLA_PROMISCUITY, link.Promiscuity);
  if (attributes.Has(IFLA_ADDRESS)) {
    auto* bytes = static_cast<const uint8_t*>(attributes.Data(IFLA_ADDRESS));
    link.HardwareAddress.assign(bytes, bytes + attributes.Size(IFLA_ADDRESS));
  }
  link.Kind = LinkKind(attributes);
  link.IPv6AddressGeneration = IPv6AddressGeneration(attributes);
  return link;
}

}  // namespace

TNetlinkMessage LinkMessage(uint16_t type, uint32_t index, uint16_t flags) {
  TNetlinkMessage request(type, flags);
  ifinfomsg link{};
  link.ifi_family = AF_UNSPEC;
  link.ifi_index = static_cast<int>(index);
  request.Append(link);
  return request;
}

std::vector<TLinkInfo> ReadLinkTable() {
  TNetlinkSocket socket(NETLINK_ROUTE);
  TNetlinkMessage request = LinkMessage(RTM_GETLINK, 0);
  std::vector<TLinkInfo> links;
  socket.Dump(request, [&](const nlmsghdr& header) {
    if (header.nlmsg_type == RTM_NEWLINK) links.push_back(ParseLink(header));
  });
  return links;
}

TLinkInfo ReadLink(uint32_t index) {
  TNetlinkSocket socket(NETLINK_ROUTE);
  TNetlinkMessage request = LinkMessage(RTM_GETLINK, index);
  TLinkInfo link;
  int error = socket.Request(request, [&](const nlmsghdr& header) {
    if (header.nlmsg_type == RTM_NEWLINK) link = ParseLink(header);
  });
  if (error != 0 || link.Index != index) {
    errno = error != 0 ? -error : ENODEV;
    ThrowSystemError("reading interface " + std::to_string(index));
  }
  return link;
}
