#include "platform/linux/NeighbourResolution.h"

#include <linux/neighbour.h>
#include <sys/socket.h>

#include <cerrno>

#include "platform/linux/Netlink.h"

void StartNeighbourResolution(uint32_t interfaceIndex, uint32_t address) {
  TNetlinkSocket socket(NETLINK_ROUTE);
  TNetlinkMessage request(RTM_NEWNEIGH, NLM_F_CREATE);
  ndmsg entry{};
  entry.ndm_family = AF_INET;
  entry.ndm_ifindex = static_cast<int>(interfaceIndex);
  entry.ndm_flags = NTF_USE;
  entry.ndm_state = NUD_NONE;
  request.Append(entry);
  request.AddAttribute(NDA_DST, address);
  const int error = socket.Request(request);
  if (error != 0) {
    errno = -error;
    ThrowSystemError("Unable to start the resolution of a neighbour");
  }
}
