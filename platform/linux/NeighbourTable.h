#pragma once
// The hardware address of an IPv4 neighbour from the kernel's neighbour
// table. When the table has no entry yet, the kernel is asked to resolve the
// address and the answer is awaited briefly.
#include "filter/IPUtil.h"

// True when the address is on a directly attached network and its entry is
// reachable or permanent; HWAddr then holds its MAC. An entry in any other
// state (stale, failed, still probing) gives false, though HWAddr shows what
// the entry holds. Off-link, local and IPv6 addresses give false.
bool GetHWAddr(const TIPAddr& address, THWAddr& HWAddr);
