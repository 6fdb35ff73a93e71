#pragma once
// The driver's adapter list: every Ethernet-framed interface, in the kernel's
// order, with its name as the driver name and its interface index as handle.
// The TAPs of interceptions, ours or another instance's, are no adapters.
#include <vector>

#include "engine/PacketDriver.h"
#include "platform/linux/LinkTable.h"

// An interface whose frames start with a 14-byte Ethernet header and carry a
// 6-byte hardware address.
bool IsEthernetFramed(const TLinkInfo& link);

// Fills the list from the links. At most kMaxAdapters slots are filled.
void FillAdapterList(const std::vector<TLinkInfo>& links, TTcpAdapterList& list);
