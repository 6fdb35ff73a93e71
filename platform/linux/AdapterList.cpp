#include "platform/linux/AdapterList.h"

#include <net/if_arp.h>

#include <algorithm>
#include <limits>

#include "platform/linux/InterceptionTag.h"

bool IsEthernetFramed(const TLinkInfo& link) {
  return link.Type == ARPHRD_ETHER && link.HardwareAddress.size() == 6;
}

void FillAdapterList(const std::vector<TLinkInfo>& links, TTcpAdapterList& list) {
  list = TTcpAdapterList();
  for (const TLinkInfo& link : links) {
    if (list.AdapterCount == kMaxAdapters) break;
    if (!IsEthernetFramed(link) || IsInterceptionDevice(link)) continue;
    uint32_t slot = list.AdapterCount++;
    list.AdapterNameList[slot] = MakeAdapterName(link.Name);
    list.AdapterHandle[slot] = link.Index;
    list.AdapterMediumList[slot] = kMedium8023;
    std::copy_n(link.HardwareAddress.begin(), 6, list.CurrentAddress[slot].begin());
    list.MTU[slot] = static_cast<uint16_t>(std::min<uint32_t>(link.Mtu, std::numeric_limits<uint16_t>::max()));
  }
}
