#include "platform/linux/AdapterConfig.h"

#include <arpa/inet.h>
#include <linux/if_addr.h>
#include <net/if.h>
#include <sys/socket.h>

#include <algorithm>
#include <cstring>

#include "platform/linux/AdapterText.h"
#include "platform/linux/LinkTable.h"
#include "platform/linux/Netlink.h"

namespace {

// A loopback device reports an all-zero address of six bytes; it has no
// hardware address in the sense that the configuration list means.
bool HasHardwareAddress(const TLinkInfo& link) {
  return !link.HardwareAddress.empty() && !(link.Flags & IFF_LOOPBACK);
}

THWAddr HardwareAddressOf(const TLinkInfo& link) {
  uint8_t bytes[6] = {};
  std::copy_n(link.HardwareAddress.begin(), std::min<size_t>(6, link.HardwareAddress.size()), bytes);
  return THWAddr::FromBytes(bytes);
}

uint32_t PrefixMask(unsigned prefixLength) {
  uint32_t hostOrder = prefixLength == 0 ? 0 : ~uint32_t{0} << (32 - std::min(prefixLength, 32u));
  return htonl(hostOrder);
}

// The address parser's rules (it refuses 0.0.0.0 and 255.255.255.255),
// applied to a value read in binary form.
bool AcceptedByParser(uint32_t v4AddrNetworkOrder) {
  uint32_t parsed;
  return StrToIPv4(IPv4ToStr(v4AddrNetworkOrder), parsed);
}

using TAddressHandler = std::function<void(const ifaddrmsg&, const TAttributeTable&)>;

void DumpAddresses(TNetlinkSocket& socket, uint8_t family, const TAddressHandler& onAddress) {
  TNetlinkMessage request(RTM_GETADDR, 0);
  ifaddrmsg query{};
  query.ifa_family = family;
  request.Append(query);
  socket.Dump(request, [&](const nlmsghdr& header) {
    if (header.nlmsg_type != RTM_NEWADDR) return;
    onAddress(MessageRecord<ifaddrmsg>(header), MessageAttributes<ifaddrmsg>(header, IFA_MAX));
  });
}

struct TDefaultGateway {
  uint32_t Index;
  uint32_t Gateway;
};

// IPv4 default routes of the main table, with every next hop of a multipath route.
std::vector<TDefaultGateway> DefaultGateways(TNetlinkSocket& socket) {
  std::vector<TDefaultGateway> gateways;
  TNetlinkMessage request(RTM_GETROUTE, 0);
  rtmsg query{};
  query.rtm_family = AF_INET;
  request.Append(query);
  socket.Dump(request, [&](const nlmsghdr& header) {
    if (header.nlmsg_type != RTM_NEWROUTE) return;
    const auto& route = MessageRecord<rtmsg>(header);
    TAttributeTable attributes = MessageAttributes<rtmsg>(header, RTA_MAX);
    uint32_t table = route.rtm_table;
    attributes.Read(RTA_TABLE, table);
    if (route.rtm_dst_len != 0 || route.rtm_type != RTN_UNICAST || table != RT_TABLE_MAIN) return;
    uint32_t gateway = 0, index = 0;
    if (attributes.Read(RTA_GATEWAY, gateway) && attributes.Read(RTA_OIF, index)) gateways.push_back({index, gateway});
    if (!attributes.Has(RTA_MULTIPATH)) return;
    auto* hop = static_cast<const rtnexthop*>(attributes.Data(RTA_MULTIPATH));
    int remaining = static_cast<int>(attributes.Size(RTA_MULTIPATH));
    while (RTNH_OK(hop, remaining)) {
      TAttributeTable hopAttributes(RTNH_DATA(hop), hop->rtnh_len - RTNH_LENGTH(0), RTA_MAX);
      if (hopAttributes.Read(RTA_GATEWAY, gateway))
        gateways.push_back({static_cast<uint32_t>(hop->rtnh_ifindex), gateway});
      remaining -= RTNH_ALIGN(hop->rtnh_len);
      hop = RTNH_NEXT(hop);
    }
  });
  return gateways;
}

}  // namespace

TAdapterConfigList::TAdapterConfigList() { Refresh(); }

TAdapterConfigItem* TAdapterConfigList::Find(uint32_t index) {
  for (auto& item : FItems)
    if (item->Index == index) return item.get();
  return nullptr;
}

TAdapterConfigItem& TAdapterConfigList::ItemByIndex(uint32_t index) {
  if (TAdapterConfigItem* item = Find(index)) return *item;
  FItems.push_back(std::make_unique<TAdapterConfigItem>());
  FItems.back()->Index = index;
  return *FItems.back();
}

void TAdapterConfigList::Refresh() {
  FItems.clear();
  try {
    ReadIPv4();
    ReadIPv6();
  } catch (const std::exception&) {
    // Not reported: the list keeps what it has read so far.
  }
}

void TAdapterConfigList::ReadIPv4() {
  for (const TLinkInfo& link : ReadLinkTable()) {
    if (!HasHardwareAddress(link)) continue;
    TAdapterConfigItem& item = ItemByIndex(link.Index);
    item.Name = AdapterDisplayText(link);
    item.HWAddr = HardwareAddressOf(link);
  }
  TNetlinkSocket socket(NETLINK_ROUTE);
  DumpAddresses(socket, AF_INET, [&](const ifaddrmsg& record, const TAttributeTable& attributes) {
    TAdapterConfigItem* item = Find(record.ifa_index);
    uint32_t address = 0;
    // IFA_LOCAL is the interface's own address; on point-to-point links
    // IFA_ADDRESS is the peer's.
    if (!item || !(attributes.Read(IFA_LOCAL, address) || attributes.Read(IFA_ADDRESS, address))) return;
    uint32_t mask = PrefixMask(record.ifa_prefixlen);
    if (!AcceptedByParser(address) || !AcceptedByParser(mask)) return;
    item->IPv4AddrList.push_back(address);
    item->IPv4MaskList.push_back(mask);
  });
  for (const TDefaultGateway& route : DefaultGateways(socket)) {
    TAdapterConfigItem* item = Find(route.Index);
    if (item && AcceptedByParser(route.Gateway)) item->GatewayList.Add(TIPAddr::Create(route.Gateway));
  }
}

void TAdapterConfigList::ReadIPv6() {
  std::vector<uint32_t> upIndexes;
  for (const TLinkInfo& link : ReadLinkTable()) {
    if (!HasHardwareAddress(link) || (link.Flags & (IFF_UP | IFF_RUNNING)) != (IFF_UP | IFF_RUNNING)) continue;
    upIndexes.push_back(link.Index);
    TAdapterConfigItem& item = ItemByIndex(link.Index);
    item.Name = AdapterDisplayText(link);
    item.HWAddr = HardwareAddressOf(link);
  }
  TNetlinkSocket socket(NETLINK_ROUTE);
  DumpAddresses(socket, AF_INET6, [&](const ifaddrmsg& record, const TAttributeTable& attributes) {
    if (std::find(upIndexes.begin(), upIndexes.end(), record.ifa_index) == upIndexes.end()) return;
    if (attributes.Size(IFA_ADDRESS) != 16) return;
    TAdapterConfigItem& item = ItemByIndex(record.ifa_index);
    TIn6_addr address;
    std::memcpy(address.Byte, attributes.Data(IFA_ADDRESS), 16);
    item.IPv6AddrList.push_back(address);
    // As a socket address would carry it: the interface for a link-scoped
    // address, none for a global one.
    item.IPv6ZoneList.push_back(record.ifa_scope == RT_SCOPE_LINK ? record.ifa_index : 0);
  });
}

int DefaultAdapterIndex(const TTcpAdapterList& adapters, const TAdapterConfigList& config) {
  THWAddr wanted;
  for (int i = 0; i < config.Count(); ++i) {
    if (config[i].GatewayList.Count() > 0) {
      wanted = config[i].HWAddr;
      break;
    }
  }
  for (uint32_t slot = 0; slot < adapters.AdapterCount && slot < kMaxAdapters; ++slot) {
    if (THWAddr::FromBytes(adapters.CurrentAddress[slot].data()) == wanted) return static_cast<int>(slot);
  }
  return 0;
}

int DefaultAdapterIndex(const TTcpAdapterList& adapters) {
  TAdapterConfigList config;
  return DefaultAdapterIndex(adapters, config);
}

int FindAdapter(const TTcpAdapterList& adapters, const TAdapterName& name) {
  for (uint32_t slot = 0; slot < adapters.AdapterCount && slot < kMaxAdapters; ++slot) {
    if (std::strncmp(adapters.AdapterNameList[slot].data(), name.data(), kAdapterNameSize) == 0)
      return static_cast<int>(slot) + 1;
  }
  return -1;
}
