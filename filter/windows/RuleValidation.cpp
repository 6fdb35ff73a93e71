#include "filter/windows/RuleValidation.h"

#include <arpa/inet.h>

namespace {

using TFailure = std::optional<TRuleCheckFailure>;

TFailure Fail(const char* message, TRulePage page, TRuleField field = TRuleField::None) {
  return TRuleCheckFailure{message, page, field};
}

bool IPv4Below(const TIPAddr& a, const TIPAddr& b) { return ntohl(a.V4Addr) < ntohl(b.V4Addr); }

// Byte 0 is the most significant.
bool IPv6Below(const TIPAddr& a, const TIPAddr& b) {
  for (int i = 0; i < 16; ++i)
    if (a.V6Addr.Byte[i] != b.V6Addr.Byte[i]) return a.V6Addr.Byte[i] < b.V6Addr.Byte[i];
  return false;
}

// The messages that differ between the two sides.
struct TSideTexts {
  TRulePage Page;
  const char* Mac;
  const char* SingleIPv4;
  const char* SingleIPv6;
  const char* SinglePort;
  const char* EmptyPortList;
};

constexpr TSideTexts kSourceTexts = {
    pgSource,
    "Please specify a correct source MAC address",
    "Please specify a source IPv4 address",
    "Please specify a source IPv6 address",
    "Please specify a source port number",
    "Please specify at least one source port",
};

constexpr TSideTexts kDestinationTexts = {
    pgDestination,
    "Please specify a destination source MAC address",
    "Please specify a destination IPv4 address",
    "Please specify a destination IPv6 address",
    "Please specify a destination port number",
    "Please specify at least one destination port",
};

constexpr const char* kNoGroup = "Please choose a group. See Tools - Groups to define a group.";

TFailure CheckMac(const TRuleSideValues& side, const TSideTexts& texts) {
  THWAddr mac;
  if (side.AddrType == akMac && !StrToHWAddr(side.MacText, mac))
    return Fail(texts.Mac, texts.Page, TRuleField::MacAddress);
  return std::nullopt;
}

TFailure CheckGroup(const TRuleSideValues& side, const TSideTexts& texts) {
  if (side.AddrType == akGroup && side.GroupPosition < 0) return Fail(kNoGroup, texts.Page, TRuleField::GroupList);
  return std::nullopt;
}

TFailure CheckSingleAddress(const TRuleSideValues& side, uint8_t protocol, const TSideTexts& texts) {
  if (side.AddrType != akSingleIP) return std::nullopt;
  if (IsIPv4Protocol(protocol) && side.IPv4First.Empty)
    return Fail(texts.SingleIPv4, texts.Page, TRuleField::FirstIPv4);
  if (IsIPv6Protocol(protocol) && side.IPv6First.Empty)
    return Fail(texts.SingleIPv6, texts.Page, TRuleField::FirstIPv6);
  return std::nullopt;
}

// A range must hold more than one address: its first address below its last.
TFailure CheckAddressRange(const TRuleSideValues& side, uint8_t protocol, TRulePage page) {
  if (side.AddrType != akIPRange) return std::nullopt;
  if (IsIPv4Protocol(protocol)) {
    if (side.IPv4First.Empty) return Fail("Please specify a from IPv4 address", page, TRuleField::FirstIPv4);
    if (side.IPv4Last.Empty) return Fail("Please specify a to IPv4 address", page, TRuleField::LastIPv4);
    if (!IPv4Below(side.IPv4First.Addr, side.IPv4Last.Addr)) return Fail("Please specify a correct IPv4 range", page);
  }
  if (IsIPv6Protocol(protocol)) {
    if (side.IPv6First.Empty) return Fail("Please specify a from IPv6 address", page, TRuleField::FirstIPv6);
    if (side.IPv6Last.Empty) return Fail("Please specify a to IPv6 address", page, TRuleField::LastIPv6);
    if (!IPv6Below(side.IPv6First.Addr, side.IPv6Last.Addr)) return Fail("Please specify a correct IPv6 range", page);
  }
  return std::nullopt;
}

TFailure CheckPorts(const TRuleSideValues& side, const TSideTexts& texts) {
  uint16_t from = 0, to = 0;
  switch (side.PortType) {
    case ptSingle:
      if (!ParsePortNumber(side.SinglePort, from)) return Fail(texts.SinglePort, texts.Page, TRuleField::SinglePort);
      break;
    case ptRange:
      if (!ParsePortNumber(side.PortFrom, from))
        return Fail("Please specify a from port number", texts.Page, TRuleField::PortFrom);
      if (!ParsePortNumber(side.PortTo, to))
        return Fail("Please specify a to port number", texts.Page, TRuleField::PortTo);
      if (from >= to) return Fail("Please specify a correct port range", texts.Page);
      break;
    case ptList:
      if (side.PortList.empty()) return Fail(texts.EmptyPortList, texts.Page, TRuleField::AddPort);
      break;
  }
  return std::nullopt;
}

// The source names its MAC address before its group, the destination the
// other way round.
TFailure CheckSide(const TRuleSideValues& side, uint8_t protocol, const TSideTexts& texts, bool groupFirst) {
  TFailure failure = groupFirst ? CheckGroup(side, texts) : CheckMac(side, texts);
  if (!failure) failure = groupFirst ? CheckMac(side, texts) : CheckGroup(side, texts);
  if (!failure) failure = CheckSingleAddress(side, protocol, texts);
  if (!failure) failure = CheckAddressRange(side, protocol, texts.Page);
  if (!failure && IsPortProtocol(protocol)) failure = CheckPorts(side, texts);
  return failure;
}

}  // namespace

std::optional<TRuleCheckFailure> CheckRuleEditorValues(const TRuleEditorValues& values) {
  const uint8_t protocol = values.Protocol();
  // Without an IP protocol neither addresses nor ports are examined.
  if (!IsIPv4Protocol(protocol) && !IsIPv6Protocol(protocol)) return std::nullopt;
  if (values.Source.AddrType == akLocalHost && values.Destination.AddrType == akLocalHost)
    return Fail("Please select another source or destination IP address", pgCurrent);
  if (TFailure failure = CheckSide(values.Source, protocol, kSourceTexts, false)) return failure;
  return CheckSide(values.Destination, protocol, kDestinationTexts, true);
}
