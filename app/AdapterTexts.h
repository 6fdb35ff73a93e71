#pragma once
// The texts of the adapter list: the driver's display name of each slot, or
// the slot's internal name when the driver has none. Position i is slot i.

#include <string>
#include <vector>

#include "engine/PacketDriver.h"

std::vector<std::string> AdapterDisplayTexts(IPacketDriver& driver, const TTcpAdapterList& adapters);
