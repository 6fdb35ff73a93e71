#pragma once
// The network interfaces of the current network namespace as rtnetlink
// reports them (RTM_GETLINK), in the kernel's order (by interface index).
#include <cstdint>
#include <string>
#include <vector>

#include "platform/linux/Netlink.h"

struct TLinkInfo {
  uint32_t Index = 0;
  std::string Name;
  uint16_t Type = 0;     // ARPHRD_*
  uint32_t Flags = 0;    // IFF_*
  std::vector<uint8_t> HardwareAddress;
  uint32_t Mtu = 0;
  std::string Alias;     // ifalias, empty when unset
  std::string Kind;      // link kind for virtual devices (veth, bridge, tun), else empty
  uint32_t Promiscuity = 0;  // how many holders keep it promiscuous (IFF_PROMISC shows only a user's own request)
  // How the kernel makes the interface's own IPv6 addresses (IN6_ADDR_GEN_MODE_*);
  // -1 when the interface has no IPv6 at all.
  int IPv6AddressGeneration = -1;
};

std::vector<TLinkInfo> ReadLinkTable();
// The one interface with that index; throws when there is none.
TLinkInfo ReadLink(uint32_t index);

// An rtnetlink link message (RTM_GETLINK, RTM_SETLINK) about the interface
// `index`, or about all of them with 0; attributes may follow.
TNetlinkMessage LinkMessage(uint16_t type, uint32_t index, uint16_t flags = 0);
