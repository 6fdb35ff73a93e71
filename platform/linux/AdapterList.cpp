#include "platform/linux/AdapterList.h"

#include <net/if_arp.h>

#include <algorithm>
#include <limits>

bool IsEthernetFramed(const TLinkInfo& link) {
  return link.Type == ARPHRD_ETHER && link.HardwareAddress.size() == 6;
}

void FillAdapterList(const std::vector<TLinkInfo>& links, const std::function<bool(uint32_t)>& isOwnDevice,
                     TTcpAdapterList& list) {
  list = TTcpAdapterList();
  for (const TLinkInfo& link : links) {
    if (list.AdapterCount == kMaxAdapters) break;
    if (!IsEthernetFramed(link) || (isOwnDevice && isOwnDevice(link.Index))) continue;
    uint32_t slot = list.AdapterCount++;
    list.AdapterNameList[slot] = MakeAdapterName(link.Name);
    list.AdapterHandle[slot] = link.Index;
    list.AdapterMediumList[slot] = kMedium8023;
    std::copy_n(link.HardwareAddress.begin(), 6, list.CurrentAddress[slot].begin());
    list.MTU[slot] = static_cast<uint16_t>(std::min<uint32_t>(link.Mtu, std::numeric_limits<uint16_t>::max()));
  }
}
