#pragma once
// What the rule editor's controls hold, as plain values, and how they are
// loaded from and stored into the filter rule. The window copies its controls
// into a TRuleEditorValues and back; the rules live here.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "filter/FilterSettings.h"

constexpr int kProtocolListCount = kFilterProtocolCount;

// The Protocol value shown at a position of the editor's protocol list, and
// the position that shows a Protocol value. Both assert on values outside the
// list (unit EditRule).
uint8_t ProtocolAtListPosition(int position);
int ListPositionOfProtocol(uint8_t protocol);

// A whole decimal number from 0 to 65535 (blanks around it are ignored).
bool ParsePortNumber(std::string_view text, uint16_t& port);

// One address field: the address it yields and whether it counts as empty.
struct TAddressFieldValue {
  TIPAddr Addr;
  bool Empty = true;
};

// One side's page: the address panel and the port panel.
struct TRuleSideValues {
  uint8_t AddrType = akLocalHost;  // TFilterAddrType of the chosen radio button
  TAddressFieldValue IPv4First, IPv4Last;
  TAddressFieldValue IPv6First, IPv6Last;
  std::string MacText;
  int GroupPosition = -1;  // the chosen entry of the group list; -1 = none
  uint8_t PortType = ptAny;  // TFilterPortType of the chosen radio button
  std::string SinglePort;
  std::string PortFrom, PortTo;
  std::vector<std::string> PortList;  // the entries as typed
};

struct TRuleEditorValues {
  bool Enabled = false;
  int ProtocolPosition = 0;
  uint16_t VlanId = 0;
  TRuleSideValues Source, Destination;

  uint8_t Protocol() const { return ProtocolAtListPosition(ProtocolPosition); }
};

// The controls' values for a stored rule. Asserts (unit EditRule) when the
// rule's Protocol, AddrType or PortType lies outside its table.
TRuleEditorValues LoadRuleEditorValues(const TFilterSettings& rule);

// Replaces the rule (all but Groups) with what validated values say. Every
// conversion is made before the rule is touched, so the rule is never left
// half-stored. A protocol without ports stores both port specifications as
// "Any" with no ports: they are neither checked nor matched for it, and a
// kind without its numbers would be an inconsistent rule.
void StoreRuleEditorValues(const TRuleEditorValues& values, TFilterSettings& rule);
