#include "platform/linux/NeighbourTable.h"

#include <linux/neighbour.h>
#include <sys/socket.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <optional>
#include <thread>

#include "platform/linux/Netlink.h"
#include "platform/linux/PrivilegedSteps.h"

namespace {

// How long a missing entry may take to resolve: the kernel gives up after
// three probes a second apart.
constexpr auto kResolveTimeout = std::chrono::milliseconds(3500);
constexpr auto kPollInterval = std::chrono::milliseconds(20);

struct TNeighbour {
  uint16_t State = NUD_NONE;
  std::vector<uint8_t> Address;
};

// The interface that the routes choose for the address, when it is directly
// reachable there (no gateway, not one of our own addresses).
std::optional<uint32_t> OnLinkInterface(TNetlinkSocket& socket, uint32_t address) {
  TNetlinkMessage request(RTM_GETROUTE, 0);
  rtmsg query{};
  query.rtm_family = AF_INET;
  query.rtm_dst_len = 32;
  request.Append(query);
  request.AddAttribute(RTA_DST, address);
  std::optional<uint32_t> index;
  int error = socket.Request(request, [&](const nlmsghdr& header) {
    if (header.nlmsg_type != RTM_NEWROUTE) return;
    const auto& route = MessageRecord<rtmsg>(header);
    TAttributeTable attributes = MessageAttributes<rtmsg>(header, RTA_MAX);
    uint32_t oif = 0;
    if (route.rtm_type == RTN_UNICAST && !attributes.Has(RTA_GATEWAY) && attributes.Read(RTA_OIF, oif))
      index = oif;
  });
  return error == 0 ? index : std::nullopt;
}

std::optional<TNeighbour> LookUp(TNetlinkSocket& socket, uint32_t index, uint32_t address) {
  TNetlinkMessage request(RTM_GETNEIGH, 0);
  ndmsg query{};
  query.ndm_family = AF_INET;
  query.ndm_ifindex = static_cast<int>(index);
  request.Append(query);
  request.AddAttribute(NDA_DST, address);
  std::optional<TNeighbour> found;
  socket.Request(request, [&](const nlmsghdr& header) {
    if (header.nlmsg_type != RTM_NEWNEIGH) return;
    TAttributeTable attributes = MessageAttributes<ndmsg>(header, NDA_MAX);
    TNeighbour neighbour;
    neighbour.State = MessageRecord<ndmsg>(header).ndm_state;
    auto* bytes = static_cast<const uint8_t*>(attributes.Data(NDA_LLADDR));
    if (bytes) neighbour.Address.assign(bytes, bytes + attributes.Size(NDA_LLADDR));
    found = neighbour;
  });
  return found;
}

bool Settled(const std::optional<TNeighbour>& neighbour) {
  return neighbour && !(neighbour->State & (NUD_INCOMPLETE | NUD_NONE));
}

}  // namespace

bool GetHWAddr(const TIPAddr& address, THWAddr& HWAddr) {
  HWAddr = THWAddr();
  if (address.Ver != atIPv4 || address.V4Addr == 0) return false;
  try {
    TNetlinkSocket socket(NETLINK_ROUTE);
    std::optional<uint32_t> index = OnLinkInterface(socket, address.V4Addr);
    if (!index) return false;
    std::optional<TNeighbour> neighbour = LookUp(socket, *index, address.V4Addr);
    if (!neighbour || (neighbour->State & (NUD_FAILED | NUD_INCOMPLETE | NUD_NONE))) {
      try {
        ResolveNeighbour(*index, address.V4Addr);
      } catch (const std::exception&) {
        // Another process may resolve it meanwhile; the wait shows.
      }
      auto deadline = std::chrono::steady_clock::now() + kResolveTimeout;
      do {
        std::this_thread::sleep_for(kPollInterval);
        neighbour = LookUp(socket, *index, address.V4Addr);
      } while (!Settled(neighbour) && std::chrono::steady_clock::now() < deadline);
    }
    if (!neighbour) return false;
    std::copy_n(neighbour->Address.begin(), std::min<size_t>(6, neighbour->Address.size()), HWAddr.FValue);
    return (neighbour->State & (NUD_REACHABLE | NUD_PERMANENT)) != 0;
  } catch (const std::exception&) {
    return false;
  }
}
