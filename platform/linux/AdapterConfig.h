#pragma once
// A snapshot of the machine's IP configuration per adapter, and the choices
// the adapter list makes with it: the adapter selected by default, and the
// position of an adapter by its driver name.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/PacketDriver.h"
#include "filter/IPUtil.h"

struct TAdapterConfigItem {
  std::string Name;  // the adapter's description text
  THWAddr HWAddr;
  uint32_t Index = 0;  // the interface index: the item's key
  std::vector<uint32_t> IPv4AddrList;  // network byte order
  std::vector<uint32_t> IPv4MaskList;  // same positions as IPv4AddrList
  std::vector<TIn6_addr> IPv6AddrList;
  std::vector<uint32_t> IPv6ZoneList;  // scope id of each IPv6 address
  TIPAddrList GatewayList;             // IPv4 default gateways
};

class TAdapterConfigList {
 public:
  // Reads the configuration at once.
  TAdapterConfigList();

  // Empties the list and reads the configuration of the current network
  // namespace again: first every adapter with a hardware address with its
  // IPv4 addresses and default gateways, then the IPv6 unicast addresses of
  // the adapters that are up. Errors leave fewer or no items.
  void Refresh();
  // The item with this index; a new empty one is appended when none has it.
  TAdapterConfigItem& ItemByIndex(uint32_t index);

  int Count() const { return static_cast<int>(FItems.size()); }
  const TAdapterConfigItem& operator[](int position) const { return *FItems.at(static_cast<size_t>(position)); }

 private:
  TAdapterConfigItem* Find(uint32_t index);
  void ReadIPv4();
  void ReadIPv6();

  std::vector<std::unique_ptr<TAdapterConfigItem>> FItems;  // in the order adapters were first met
};

// The list position to select by default: the driver slot whose MAC is that
// of the first configured adapter with a default gateway (the all-zero MAC
// when none has one); position 0 when no slot matches.
int DefaultAdapterIndex(const TTcpAdapterList& adapters, const TAdapterConfigList& config);
int DefaultAdapterIndex(const TTcpAdapterList& adapters);

// The 1-based position of the slot whose driver name equals name (compared as
// zero-terminated text of at most 256 characters), or -1.
int FindAdapter(const TTcpAdapterList& adapters, const TAdapterName& name);
