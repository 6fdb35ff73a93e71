#pragma once
// Settings of one interface, changed over rtnetlink. Unlike /proc/sys, which
// containers often mount read-only, rtnetlink takes them wherever the process
// holds CAP_NET_ADMIN.
#include <cstdint>
#include <string>

// The interface's alias (ifalias), which every process of the network
// namespace can read.
void SetLinkAlias(uint32_t index, const std::string& alias);

// Stops the kernel from giving the interface IPv6 addresses of its own: no
// link-local address, hence no router solicitations, neighbour solicitations
// or MLD reports from it. Call it before the interface goes up. Throws unless
// the interface reads back without address generation (or without IPv6).
void TurnOffIPv6AddressGeneration(uint32_t index);
