#include "platform/linux/KernelSelection.h"

#include <algorithm>
#include <cstring>

namespace {

// The engine's own checks raise on an address of neither version; the
// kernel cannot report that, so it leaves such rules to the engine.
bool ValidVersion(const TIPAddr& address) { return address.Ver == atIPv4 || address.Ver == atIPv6; }

void CopyAddress(const TIPAddr& address, __u8 (&bytes)[16]) {
  std::memset(bytes, 0, sizeof bytes);
  std::memcpy(bytes, address.Bytes(), address.Ver == atIPv4 ? 4 : 16);
}

ot_address_key KeyOf(ot_address_set set, const TIPAddr& address) {
  ot_address_key key{};
  key.set = static_cast<__u8>(set);
  key.ver = static_cast<__u8>(address.Ver);
  CopyAddress(address, key.addr);
  return key;
}

void SetPorts(ot_endpoint& side, uint16_t from, uint16_t to) {
  for (uint32_t port = from; port <= to; ++port) side.ports[port >> 3] |= static_cast<__u8>(1u << (port & 7));
}

class TTranslation {
 public:
  TTranslation(const TFrameSelection& selection, const TIPAddrList* local)
      : FSelection(selection), FLocal(local), FResult(std::make_unique<TKernelSelection>()) {}

  std::unique_ptr<TKernelSelection> Run() {
    const TFilterSettings& filter = FSelection.Filter;
    ot_rule& rule = FResult->Rule;
    rule.direction = static_cast<__u8>(FSelection.Direction);
    rule.enabled = filter.Enabled ? 1 : 0;
    rule.protocol = filter.Protocol;
    rule.vlan_id = filter.VlanId;
    if (FSelection.EngineSeesAll) return Fallback("the bridge decides each frame's way before the engine");
    if (!Sides()) return std::move(FResult);
    auto& keys = FResult->Addresses;
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    if (keys.size() > OT_ADDRESS_SET_CAPACITY) return Fallback("the rule's address sets are too large for the kernel");
    rule.mode = OT_DECIDE;
    return std::move(FResult);
  }

 private:
  // Fills both sides of the rule; false when the rule is left to the engine.
  bool Sides() {
    const TFilterSettings& filter = FSelection.Filter;
    ot_rule& rule = FResult->Rule;
    // Only an enabled rule with an IP protocol looks at addresses and ports.
    const bool ip = IsIPv4Protocol(filter.Protocol) || IsIPv6Protocol(filter.Protocol);
    if (filter.Enabled && ip) {
      return Endpoint(filter.Source, OT_SET_SOURCE_GROUP, rule.sides[OT_SOURCE]) &&
             Endpoint(filter.Destination, OT_SET_DESTINATION_GROUP, rule.sides[OT_DESTINATION]);
    }
    rule.sides[OT_SOURCE].addr_kind = rule.sides[OT_DESTINATION].addr_kind = OT_ADDR_ANY;
    rule.sides[OT_SOURCE].any_port = rule.sides[OT_DESTINATION].any_port = 1;
    return true;
  }

  std::unique_ptr<TKernelSelection> Fallback(const std::string& why) {
    Refuse(why);
    return std::move(FResult);
  }

  bool Endpoint(const TFilterEndpoint& endpoint, ot_address_set groupSet, ot_endpoint& side) {
    if (!Address(endpoint, groupSet, side)) return false;
    if (IsPortProtocol(FSelection.Filter.Protocol)) return Ports(endpoint, side);
    side.any_port = 1;
    return true;
  }

  bool Address(const TFilterEndpoint& endpoint, ot_address_set groupSet, ot_endpoint& side) {
    side.addr_kind = endpoint.AddrType;
    switch (endpoint.AddrType) {
      case akAnyIP:
        return true;
      case akMac:
        std::memcpy(side.mac, endpoint.Mac.FValue, sizeof side.mac);
        return true;
      case akSingleIP:
        if (!ValidVersion(endpoint.Addr1)) return Refuse("the rule holds an address of no IP version");
        side.addr_ver = endpoint.Addr1.Ver;
        CopyAddress(endpoint.Addr1, side.addr1);
        return true;
      case akIPRange:
        if (!ValidVersion(endpoint.Addr1) || !ValidVersion(endpoint.Addr2))
          return Refuse("the rule holds an address of no IP version");
        // A range whose ends differ in version holds no address at all.
        if (endpoint.Addr1.Ver != endpoint.Addr2.Ver) side.addr_kind = OT_ADDR_NONE;
        side.addr_ver = endpoint.Addr1.Ver;
        CopyAddress(endpoint.Addr1, side.addr1);
        CopyAddress(endpoint.Addr2, side.addr2);
        return true;
      case akLocalHost:
        if (!FLocal) return Refuse("the host's own addresses are not known yet");
        return AddSet(*FLocal, OT_SET_LOCAL);
      case akGroup: {
        const TGroupList& groups = FSelection.Filter.Groups;
        if (endpoint.GroupId < 0 || endpoint.GroupId >= groups.Count()) return true;  // an empty set
        return AddSet(groups.GroupAddresses(endpoint.GroupId), groupSet);
      }
      default:
        side.addr_kind = OT_ADDR_NONE;
        return true;
    }
  }

  bool AddSet(const TIPAddrList& addresses, ot_address_set set) {
    for (const TIPAddr& address : addresses) {
      if (!ValidVersion(address)) return Refuse("an address list holds an address of no IP version");
      FResult->Addresses.push_back(KeyOf(set, address));
    }
    return true;
  }

  bool Ports(const TFilterEndpoint& endpoint, ot_endpoint& side) {
    const std::vector<uint16_t>& ports = endpoint.Ports;
    switch (endpoint.PortType) {
      case ptAny:
        side.any_port = 1;
        return true;
      case ptSingle:
        // The engine stops with an assertion here; only it can report that.
        if (ports.size() != 1) return Refuse("a single-port specification without exactly one port");
        SetPorts(side, ports[0], ports[0]);
        return true;
      case ptRange:
        if (ports.size() != 2) return Refuse("a port range without exactly two ports");
        if (ports[0] <= ports[1]) SetPorts(side, ports[0], ports[1]);
        return true;
      case ptList:
        for (uint16_t port : ports) SetPorts(side, port, port);
        return true;
      default:
        return true;  // no port at all
    }
  }

  bool Refuse(const std::string& why) {
    FResult->Rule.mode = OT_STEAL_ALL;
    FResult->Addresses.clear();
    FResult->Fallback = why;
    return false;
  }

  const TFrameSelection& FSelection;
  const TIPAddrList* FLocal;
  std::unique_ptr<TKernelSelection> FResult;
};

}  // namespace

bool operator<(const ot_address_key& a, const ot_address_key& b) { return std::memcmp(&a, &b, sizeof a) < 0; }
bool operator==(const ot_address_key& a, const ot_address_key& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

std::unique_ptr<TKernelSelection> TranslateSelection(const TFrameSelection& selection, const TIPAddrList* local) {
  return TTranslation(selection, local).Run();
}

std::unique_ptr<TKernelSelection> StealEverySelection(const std::string& why) {
  auto result = std::make_unique<TKernelSelection>();
  result->Fallback = why;
  return result;
}
