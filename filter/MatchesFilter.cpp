#include "filter/MatchesFilter.h"

#include "common/Assertion.h"

namespace {

constexpr uint16_t kEtherTypeVlan = 0x8100;
constexpr uint16_t kEtherTypeIPv4 = 0x0800;
constexpr uint16_t kEtherTypeIPv6 = 0x86DD;
constexpr uint16_t kEtherTypeArp = 0x0806;
constexpr uint16_t kEtherTypePPPoEDiscovery = 0x8863;
constexpr uint16_t kEtherTypePPPoESession = 0x8864;

constexpr uint8_t kIpProtoIcmp = 1;
constexpr uint8_t kIpProtoTcp = 6;
constexpr uint8_t kIpProtoUdp = 17;
constexpr uint8_t kIpProtoGre = 47;
constexpr uint8_t kIpProtoEsp = 50;
constexpr uint8_t kIpProtoAh = 51;
constexpr uint8_t kIpProtoIcmpV6 = 58;

// The frame with its length: every read is checked against the length, so a
// short frame yields "field missing" instead of a read past its end.
struct TFrame {
  const uint8_t* Data;
  uint32_t Length;

  // 64-bit offsets, so that no offset arithmetic can wrap around.
  bool Has(uint64_t offset, uint64_t size) const { return offset + size <= Length; }
  uint16_t U16(uint64_t offset) const { return static_cast<uint16_t>((Data[offset] << 8) | Data[offset + 1]); }
};

// One side (source or destination) of the frame as the rule sees it. Fields
// the frame is too short for are marked missing; they are read lazily.
struct TFrameSide {
  const TFrame* Frame;
  uint64_t MacOffset;   // 0 for the destination, 6 for the source
  TAddrType Ver;
  uint64_t IPOffset;    // offset of the address bytes in the frame
  uint64_t PortOffset;  // offset of the port in the frame

  bool HasMac() const { return Frame->Has(MacOffset, 6); }
  bool HasIP() const { return Frame->Has(IPOffset, Ver == atIPv4 ? 4 : 16); }
  TIPAddr IP() const { return TIPAddr::FromBytes(Ver, Frame->Data + IPOffset); }
  bool HasPort() const { return Frame->Has(PortOffset, 2); }
  uint16_t Port() const { return Frame->U16(PortOffset); }
};

// Local host: broadcast first (no lock), then the local-address list.
bool IsLocalHost(const TIPAddr& address, const TLocalAddresses& local) {
  return IsBroadcast(address) || local.Contains(address);
}

bool IsGroupMember(const TIPAddr& address, int32_t groupId, const TGroupList& groups) {
  if (groupId < 0 || groupId >= groups.Count()) return false;
  for (const TIPAddr& member : groups.GroupAddresses(groupId))
    if (member == address) return true;
  return false;
}

bool AddressMatches(const TFilterEndpoint& endpoint, const TFrameSide& side, const TGroupList& groups,
                    const TLocalAddresses& local) {
  switch (endpoint.AddrType) {
    case akAnyIP:
      return true;
    case akMac:
      return side.HasMac() && THWAddr::FromBytes(side.Frame->Data + side.MacOffset) == endpoint.Mac;
    case akLocalHost:
      return side.HasIP() && IsLocalHost(side.IP(), local);
    case akSingleIP:
      return side.HasIP() && side.IP() == endpoint.Addr1;
    case akIPRange:
      return side.HasIP() && side.IP().InRange(endpoint.Addr1, endpoint.Addr2);
    case akGroup:
      return side.HasIP() && IsGroupMember(side.IP(), endpoint.GroupId, groups);
    default:
      return false;  // not a kind of the table
  }
}

bool PortMatches(const TFilterEndpoint& endpoint, const TFrameSide& side) {
  const std::vector<uint16_t>& ports = endpoint.Ports;
  switch (endpoint.PortType) {
    case ptAny:
      return true;
    case ptSingle:
      OT_ASSERT(ports.size() == 1, "GUIMain", "checking single port error");
      return side.HasPort() && side.Port() == ports[0];
    case ptRange:
      OT_ASSERT(ports.size() == 2, "GUIMain", "checking port range error");
      return side.HasPort() && ports[0] <= side.Port() && side.Port() <= ports[1];
    case ptList:
      if (!side.HasPort()) return false;
      for (uint16_t p : ports)
        if (p == side.Port()) return true;
      return false;
    default:
      return false;  // not a kind of the table
  }
}

// The rule's source side against `from`, its
// destination side against `to`, stopping at the first failure.
bool SidesMatch(const TFilterSettings& filter, const TFrameSide& from, const TFrameSide& to, bool portProtocol,
                const TLocalAddresses& local) {
  return AddressMatches(filter.Source, from, filter.Groups, local) &&
         AddressMatches(filter.Destination, to, filter.Groups, local) &&
         (!portProtocol || (PortMatches(filter.Source, from) && PortMatches(filter.Destination, to)));
}

// The protocol test of the table for an IP frame; `Has(ipProtoOffset)` is
// checked only by the rows that look at the protocol byte.
bool IPProtocolPasses(uint8_t protocol, const TFrame& frame, uint64_t protoOffset) {
  if (protocol == fpAnyIPv4 || protocol == fpAnyIPv6) return true;
  if (!frame.Has(protoOffset, 1)) return false;
  uint8_t p = frame.Data[protoOffset];
  switch (protocol) {
    case fpIPv4TCP:
    case fpIPv6TCP:
      return p == kIpProtoTcp;
    case fpIPv4UDP:
    case fpIPv6UDP:
      return p == kIpProtoUdp;
    case fpIPv4TCPUDP:
    case fpIPv6TCPUDP:
      return p == kIpProtoTcp || p == kIpProtoUdp;
    case fpIPv4AHESP:
    case fpIPv6AHESP:
      return p == kIpProtoAh || p == kIpProtoEsp;
    case fpIPv4GRE:
    case fpIPv6GRE:
      return p == kIpProtoGre;
    case fpIPv4ICMP:
      return p == kIpProtoIcmp;
    case fpIPv6ICMP:
      return p == kIpProtoIcmpV6 || p == kIpProtoIcmp;
    default:
      return false;
  }
}

}  // namespace

bool MatchesFilter(const TFilterSettings& filter, TTrafficDirection direction, const uint8_t* frameData,
                   uint32_t length, const TLocalAddresses& local) {
  const TFrame frame{frameData, length};
  const uint8_t protocol = filter.Protocol;
  // Any protocol with any VLAN examines nothing, so even an empty frame matches.
  if (filter.VlanId == 0 && protocol == fpAny) return true;

  // Reading step 2: one 802.1Q tag at most.
  if (!frame.Has(12, 2)) return false;
  uint64_t etherTypeOffset = 12;
  uint16_t vlanId = 0;
  if (frame.U16(12) == kEtherTypeVlan) {
    if (!frame.Has(14, 2)) return false;
    vlanId = frame.U16(14) & 0x0FFF;
    etherTypeOffset = 16;
  }

  // Step 1: the VLAN.
  if (filter.VlanId != 0 && filter.VlanId != vlanId) return false;
  if (protocol == fpAny) return true;  // step 3

  // Step 2: the protocol test.
  if (!frame.Has(etherTypeOffset, 2)) return false;
  const uint16_t etherType = frame.U16(etherTypeOffset);
  const uint64_t net = etherTypeOffset + 2;
  TAddrType ver;
  uint64_t srcIP, dstIP, transport;
  switch (etherType) {
    case kEtherTypeIPv4:
      if (!IsIPv4Protocol(protocol) || !IPProtocolPasses(protocol, frame, net + 9)) return false;
      ver = atIPv4;
      srcIP = net + 12;
      dstIP = net + 16;
      // Ports are read after the header length; it is needed only by a port test.
      transport = frame.Has(net, 1) ? net + (frame.Data[net] & 0x0F) * 4u : uint64_t{length};
      break;
    case kEtherTypeIPv6:
      // Extension headers are not followed: the fixed header's next header is the protocol.
      if (!IsIPv6Protocol(protocol) || !IPProtocolPasses(protocol, frame, net + 6)) return false;
      ver = atIPv6;
      srcIP = net + 8;
      dstIP = net + 24;
      transport = net + 40;
      break;
    case kEtherTypeArp:
      return protocol == fpARP;  // step 3: addresses are not examined
    case kEtherTypePPPoEDiscovery:
    case kEtherTypePPPoESession:
      return protocol == fpPPPoE;
    default:
      return false;
  }

  // Steps 4 to 7. IP fragments are not recognised: a port protocol frame is
  // always read as if it carried the transport header.
  const bool portProtocol = IsPortProtocol(protocol);
  const TFrameSide source{&frame, 6, ver, srcIP, transport};
  const TFrameSide destination{&frame, 0, ver, dstIP, transport + 2};
  if (SidesMatch(filter, source, destination, portProtocol, local)) return true;
  if (direction != TTrafficDirection::tdBoth) return false;
  return SidesMatch(filter, destination, source, portProtocol, local);
}
