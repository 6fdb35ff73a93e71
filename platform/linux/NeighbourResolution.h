#pragma once
// Asking the kernel to resolve an IPv4 neighbour as if traffic were waiting
// for it: it creates the entry and sends the ARP requests itself. Needs
// CAP_NET_ADMIN. The address in network byte order.
#include <cstdint>

// Throws the system's error when the kernel refuses.
void StartNeighbourResolution(uint32_t interfaceIndex, uint32_t address);
