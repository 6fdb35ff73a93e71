#include "filter/windows/RuleEditorValues.h"

#include "common/Assertion.h"

namespace {

constexpr const char* kUnit = "EditRule";

// The editor lists the protocols by family, each family's "Any" first.
constexpr uint8_t kProtocolOfListPosition[kProtocolListCount] = {
    fpAny,     fpAnyIPv4, fpIPv4TCP, fpIPv4UDP,    fpIPv4TCPUDP, fpIPv4AHESP, fpIPv4ICMP, fpIPv4GRE, fpAnyIPv6,
    fpIPv6TCP, fpIPv6UDP, fpIPv6TCPUDP, fpIPv6AHESP, fpIPv6ICMP,  fpIPv6GRE,   fpPPPoE,    fpARP,
};

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// The field of an address's own family shows it; the other stays empty.
void LoadAddress(const TIPAddr& addr, TAddressFieldValue& ipv4Field, TAddressFieldValue& ipv6Field) {
  OT_ASSERT(addr.Ver == atIPv4 || addr.Ver == atIPv6, kUnit, "invalid address version");
  TAddressFieldValue& field = addr.Ver == atIPv4 ? ipv4Field : ipv6Field;
  field.Addr = addr;
  field.Empty = addr.Ver == atIPv4 ? addr.V4Addr == 0 : addr.V6Addr == TIn6_addr();
}

TRuleSideValues LoadSide(const TFilterEndpoint& endpoint) {
  OT_ASSERT(endpoint.AddrType < kFilterAddrTypeCount, kUnit, "invalid address type");
  OT_ASSERT(endpoint.PortType < kFilterPortTypeCount, kUnit, "invalid port type");
  TRuleSideValues side;
  side.AddrType = endpoint.AddrType;
  LoadAddress(endpoint.Addr1, side.IPv4First, side.IPv6First);
  LoadAddress(endpoint.Addr2, side.IPv4Last, side.IPv6Last);
  side.MacText = HWAddrToStr(endpoint.Mac);
  side.GroupPosition = endpoint.GroupId;
  side.PortType = endpoint.PortType;
  const std::vector<uint16_t>& ports = endpoint.Ports;
  switch (endpoint.PortType) {
    case ptSingle:
      if (!ports.empty()) side.SinglePort = std::to_string(ports[0]);
      break;
    case ptRange:
      if (ports.size() >= 1) side.PortFrom = std::to_string(ports[0]);
      if (ports.size() >= 2) side.PortTo = std::to_string(ports[1]);
      break;
    case ptList:
      for (uint16_t port : ports) side.PortList.push_back(std::to_string(port));
      break;
  }
  return side;
}

uint16_t PortOf(const std::string& text) {
  uint16_t port = 0;
  OT_ASSERT(ParsePortNumber(text, port), kUnit, "storing an unchecked port number");
  return port;
}

std::vector<uint16_t> PortsOf(const TRuleSideValues& side) {
  std::vector<uint16_t> ports;
  switch (side.PortType) {
    case ptSingle:
      ports.push_back(PortOf(side.SinglePort));
      break;
    case ptRange:
      ports.push_back(PortOf(side.PortFrom));
      ports.push_back(PortOf(side.PortTo));
      break;
    case ptList:
      for (const std::string& entry : side.PortList) ports.push_back(PortOf(entry));
      break;
  }
  return ports;
}

TFilterEndpoint EndpointOf(const TRuleSideValues& side, uint8_t protocol) {
  OT_ASSERT(side.AddrType < kFilterAddrTypeCount, kUnit, "invalid address type");
  OT_ASSERT(side.PortType < kFilterPortTypeCount, kUnit, "invalid port type");
  TFilterEndpoint endpoint;
  endpoint.AddrType = side.AddrType;
  if (IsIPv4Protocol(protocol)) {
    endpoint.Addr1 = side.IPv4First.Addr;
    endpoint.Addr2 = side.IPv4Last.Addr;
  } else if (IsIPv6Protocol(protocol)) {
    endpoint.Addr1 = side.IPv6First.Addr;
    endpoint.Addr2 = side.IPv6Last.Addr;
  }
  endpoint.Mac = THWAddr::Create(side.MacText);
  endpoint.GroupId = side.GroupPosition;
  if (IsPortProtocol(protocol)) {
    endpoint.PortType = side.PortType;
    endpoint.Ports = PortsOf(side);
  }
  return endpoint;
}

}  // namespace

uint8_t ProtocolAtListPosition(int position) {
  OT_ASSERT(position >= 0 && position < kProtocolListCount, kUnit, "invalid protocol list position");
  return kProtocolOfListPosition[position];
}

int ListPositionOfProtocol(uint8_t protocol) {
  for (int position = 0; position < kProtocolListCount; ++position)
    if (kProtocolOfListPosition[position] == protocol) return position;
  AssertionFailed("invalid protocol", kUnit, __LINE__);
}

bool ParsePortNumber(std::string_view text, uint16_t& port) {
  text = TrimBlanks(text);
  if (text.empty()) return false;
  uint32_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<uint32_t>(c - '0');
    if (value > 65535) return false;
  }
  port = static_cast<uint16_t>(value);
  return true;
}

TRuleEditorValues LoadRuleEditorValues(const TFilterSettings& rule) {
  TRuleEditorValues values;
  values.Enabled = rule.Enabled;
  values.ProtocolPosition = ListPositionOfProtocol(rule.Protocol);
  values.VlanId = rule.VlanId;
  values.Source = LoadSide(rule.Source);
  values.Destination = LoadSide(rule.Destination);
  return values;
}

void StoreRuleEditorValues(const TRuleEditorValues& values, TFilterSettings& rule) {
  const uint8_t protocol = values.Protocol();
  TFilterEndpoint source = EndpointOf(values.Source, protocol);
  TFilterEndpoint destination = EndpointOf(values.Destination, protocol);

  ResetFilterSettings(rule);
  rule.Enabled = values.Enabled;
  rule.Protocol = protocol;
  rule.VlanId = values.VlanId;
  rule.Source = std::move(source);
  rule.Destination = std::move(destination);
}
