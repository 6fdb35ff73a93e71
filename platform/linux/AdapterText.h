#pragma once
// The text the adapter list shows for an interface: its name, then a
// description where the system has one (the interface alias, else what sysfs
// says about the device, else the kind of virtual link).
#include <string>

#include "platform/linux/LinkTable.h"

std::string AdapterDescription(const TLinkInfo& link);
// "eth0 (Intel Corporation Ethernet Connection)", or the name alone.
std::string AdapterDisplayText(const TLinkInfo& link);
