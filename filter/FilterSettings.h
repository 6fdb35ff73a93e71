#pragma once
// The one filter rule. One instance lives in the
// engine settings record under SettingsLock; the rule editor, the profile
// reader and the groups window work on copies and store them back whole.
#include <cstdint>
#include <vector>

#include "filter/Groups.h"
#include "filter/IPUtil.h"

// Values of TFilterSettings.Protocol. IPv4 protocols are 1 to 7, IPv6
// protocols 8 to 14; the port protocols are 1 to 3 and 8 to 10.
enum TFilterProtocol : uint8_t {
  fpAny = 0,
  fpIPv4TCP = 1,
  fpIPv4UDP = 2,
  fpIPv4TCPUDP = 3,
  fpIPv4AHESP = 4,
  fpIPv4GRE = 5,
  fpIPv4ICMP = 6,
  fpAnyIPv4 = 7,
  fpIPv6TCP = 8,
  fpIPv6UDP = 9,
  fpIPv6TCPUDP = 10,
  fpIPv6AHESP = 11,
  fpIPv6GRE = 12,
  fpIPv6ICMP = 13,
  fpAnyIPv6 = 14,
  fpPPPoE = 15,
  fpARP = 16,
};
constexpr int kFilterProtocolCount = 17;

// Values of TFilterEndpoint.AddrType.
enum TFilterAddrType : uint8_t {
  akLocalHost = 0,
  akSingleIP = 1,
  akIPRange = 2,
  akAnyIP = 3,
  akMac = 4,
  akGroup = 5,
};
constexpr int kFilterAddrTypeCount = 6;

// Values of TFilterEndpoint.PortType.
enum TFilterPortType : uint8_t {
  ptAny = 0,
  ptSingle = 1,
  ptRange = 2,
  ptList = 3,
};
constexpr int kFilterPortTypeCount = 4;

// The labels of the rule editor's lists, indexed by value.
extern const char* const kFilterProtocolLabels[kFilterProtocolCount];
extern const char* const kFilterAddrTypeLabels[kFilterAddrTypeCount];
extern const char* const kFilterPortTypeLabels[kFilterPortTypeCount];

constexpr bool IsIPv4Protocol(uint8_t protocol) { return protocol >= fpIPv4TCP && protocol <= fpAnyIPv4; }
constexpr bool IsIPv6Protocol(uint8_t protocol) { return protocol >= fpIPv6TCP && protocol <= fpAnyIPv6; }
constexpr bool IsPortProtocol(uint8_t protocol) {
  return (protocol >= fpIPv4TCP && protocol <= fpIPv4TCPUDP) || (protocol >= fpIPv6TCP && protocol <= fpIPv6TCPUDP);
}

// What one side (source or destination) of a frame must be. The fields are
// independent: only the one that AddrType (or PortType) names is consulted.
struct TFilterEndpoint {
  TIPAddr Addr1;               // the single address, or the first of a range
  TIPAddr Addr2;               // the last address of a range
  uint8_t AddrType = akAnyIP;  // TFilterAddrType
  THWAddr Mac;                 // for akMac
  int32_t GroupId = -1;        // position in TFilterSettings.Groups for akGroup; -1 = none
  // One port for ptSingle, two (from, to) for ptRange, any number for ptList.
  std::vector<uint16_t> Ports;
  uint8_t PortType = ptAny;  // TFilterPortType

  friend bool operator==(const TFilterEndpoint&, const TFilterEndpoint&) = default;
};

// A default-constructed record is the program-start state: zeroed, then
// ResetFilterSettings (VlanId 0, no groups).
struct TFilterSettings {
  bool Enabled = false;
  uint8_t Protocol = fpAny;  // TFilterProtocol
  // The VLAN identifier the frame must carry; 0 = any frame, tagged or not.
  uint16_t VlanId = 0;
  TFilterEndpoint Source;
  TFilterEndpoint Destination;
  TGroupList Groups;  // the named address groups the rule refers to by position

  friend bool operator==(const TFilterSettings&, const TFilterSettings&) = default;
};

// Sets every field to its reset value; keeps VlanId and Groups.
void ResetFilterSettings(TFilterSettings& settings);
