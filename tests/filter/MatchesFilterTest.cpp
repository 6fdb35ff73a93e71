#include "filter/MatchesFilter.h"

#include <gtest/gtest.h>

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "common/Assertion.h"
#include "tests/filter/FrameBuilder.h"
#include "tests/filter/AddressText.h"

namespace {

using namespace frame_builder;
using TFrame = std::vector<uint8_t>;

const TMac kMacA = {0x02, 0x00, 0x00, 0x00, 0x00, 0x0A};
const TMac kMacB = {0x02, 0x00, 0x00, 0x00, 0x00, 0x0B};
const TMac kMacZero = {};

constexpr const char* kLocal4 = "192.168.1.10";
constexpr const char* kLocal6 = "2001:db8::10";

THWAddr Mac(const TMac& m) { return THWAddr::FromBytes(m.data()); }

// Frames from A to B (source MAC A, destination MAC B) unless stated.
TFrame Tcp4(const char* src, const char* dst, uint16_t sport = 1234, uint16_t dport = 80, int vlan = -1) {
  TFrameBuilder b;
  b.Ethernet(kMacB, kMacA);
  if (vlan >= 0) b.Vlan(static_cast<uint16_t>(vlan));
  return b.IPv4(src, dst, kProtoTcp).Tcp(sport, dport).Build();
}
TFrame Udp4(const char* src, const char* dst, uint16_t sport = 1234, uint16_t dport = 53) {
  return TFrameBuilder().Ethernet(kMacB, kMacA).IPv4(src, dst, kProtoUdp).Udp(sport, dport).Build();
}
TFrame IP4(uint8_t protocol, const char* src = "10.0.0.1", const char* dst = "10.0.0.2") {
  return TFrameBuilder().Ethernet(kMacB, kMacA).IPv4(src, dst, protocol).Payload(8).Build();
}
TFrame Tcp6(const char* src, const char* dst, uint16_t sport = 1234, uint16_t dport = 80) {
  return TFrameBuilder().Ethernet(kMacB, kMacA).IPv6(src, dst, kProtoTcp).Tcp(sport, dport).Build();
}
TFrame Udp6(const char* src, const char* dst, uint16_t sport = 1234, uint16_t dport = 53) {
  return TFrameBuilder().Ethernet(kMacB, kMacA).IPv6(src, dst, kProtoUdp).Udp(sport, dport).Build();
}
TFrame IP6(uint8_t nextHeader, const char* src = "2001:db8::1", const char* dst = "2001:db8::2") {
  return TFrameBuilder().Ethernet(kMacB, kMacA).IPv6(src, dst, nextHeader).Payload(8).Build();
}
TFrame HopByHopTcp6(const char* src = "2001:db8::1", const char* dst = "2001:db8::2") {
  return TFrameBuilder()
      .Ethernet(kMacB, kMacA)
      .IPv6(src, dst, kProtoHopByHop)
      .IPv6Extension(kProtoTcp)
      .Tcp(1234, 80)
      .Build();
}
TFrame Arp() {
  return TFrameBuilder().Ethernet(kBroadcastMac, kMacA).Arp(1, kMacA, "10.0.0.1", kMacZero, "10.0.0.2").Build();
}
TFrame PPPoE(uint16_t etherType) { return TFrameBuilder().Ethernet(kMacB, kMacA).PPPoE(etherType).Build(); }
TFrame Lldp() { return TFrameBuilder().Ethernet(kMacB, kMacA).EtherType(0x88CC).Payload(30).Build(); }

class MatchesFilterTest : public ::testing::Test {
 protected:
  MatchesFilterTest() : Local(LocalAddressLock) {
    TIPAddrList list;
    list.Add(Addr(kLocal4));
    list.Add(Addr(kLocal6));
    Local.Replace(list);
    TIPAddrList group0, group1;
    group0.Add(Addr("10.0.0.1"));
    group0.Add(Addr("10.0.0.3"));
    group1.Add(Addr("2001:db8::1"));
    Filter.Groups.Add("office", group0);
    Filter.Groups.Add("v6", group1);
    Filter.Enabled = true;
  }

  // The frame is copied into a buffer of exactly its length, so that
  // AddressSanitizer sees any read past its end.
  bool Matches(const TFrame& frame, TTrafficDirection direction = TTrafficDirection::tdIncoming) {
    std::vector<uint8_t> exact(frame);
    return MatchesFilter(Filter, direction, exact.data(), static_cast<uint32_t>(exact.size()), Local);
  }

  std::recursive_mutex LocalAddressLock;
  TLocalAddresses Local;
  TFilterSettings Filter;
};

// ---------------------------------------------------------------- protocols

struct TProtocolRow {
  const char* Name;
  TFrame Frame;
  const char* Expected;  // one character per Protocol value 0 to 16
};

TEST_F(MatchesFilterTest, ProtocolTable) {
  const TProtocolRow rows[] = {
      //                                      0123456789abcdefg
      {"IPv4 TCP", Tcp4("10.0.0.1", "10.0.0.2"), "11010001000000000"},
      {"IPv4 UDP", Udp4("10.0.0.1", "10.0.0.2"), "10110001000000000"},
      {"IPv4 ICMP", IP4(kProtoIcmp), "10000011000000000"},
      {"IPv4 ICMPv6 number", IP4(kProtoIcmpV6), "10000001000000000"},  // IPv4 ICMP is protocol 1 only
      {"IPv4 GRE", IP4(kProtoGre), "10000101000000000"},
      {"IPv4 ESP", IP4(kProtoEsp), "10001001000000000"},
      {"IPv4 AH", IP4(kProtoAh), "10001001000000000"},
      {"IPv4 other", IP4(132), "10000001000000000"},
      {"IPv6 TCP", Tcp6("2001:db8::1", "2001:db8::2"), "10000000101000100"},
      {"IPv6 UDP", Udp6("2001:db8::1", "2001:db8::2"), "10000000011000100"},
      {"IPv6 ICMPv6", IP6(kProtoIcmpV6), "10000000000001100"},
      {"IPv6 ICMP number 1", IP6(kProtoIcmp), "10000000000001100"},  // IPv6 ICMP is 58 or 1
      {"IPv6 GRE", IP6(kProtoGre), "10000000000010100"},
      {"IPv6 ESP", IP6(kProtoEsp), "10000000000100100"},
      {"IPv6 AH", IP6(kProtoAh), "10000000000100100"},
      {"IPv6 hop-by-hop then TCP", HopByHopTcp6(), "10000000000000100"},  // extension headers not followed
      {"ARP", Arp(), "10000000000000001"},
      {"PPPoE discovery", PPPoE(kEtherTypePPPoEDiscovery), "10000000000000010"},
      {"PPPoE session", PPPoE(kEtherTypePPPoESession), "10000000000000010"},
      {"LLDP", Lldp(), "10000000000000000"},
  };
  for (const TProtocolRow& row : rows) {
    for (int protocol = 0; protocol <= 18; ++protocol) {
      Filter.Protocol = static_cast<uint8_t>(protocol);
      bool expected = protocol < kFilterProtocolCount && row.Expected[protocol] == '1';
      for (auto direction : {TTrafficDirection::tdIncoming, TTrafficDirection::tdOutgoing, TTrafficDirection::tdBoth})
        EXPECT_EQ(Matches(row.Frame, direction), expected) << row.Name << ", protocol " << protocol;
    }
  }
}

TEST_F(MatchesFilterTest, ProtocolTableHoldsBehindAVlanTag) {
  // With VlanId 0 a tagged frame is read after its tag.
  TFrame tagged = Tcp4("10.0.0.1", "10.0.0.2", 1234, 80, 100);
  const char* expected = "11010001000000000";
  for (int protocol = 0; protocol < kFilterProtocolCount; ++protocol) {
    Filter.Protocol = static_cast<uint8_t>(protocol);
    EXPECT_EQ(Matches(tagged), expected[protocol] == '1') << protocol;
  }
  Filter.Protocol = fpARP;
  EXPECT_TRUE(Matches(TFrameBuilder().Ethernet(kBroadcastMac, kMacA).Vlan(7).Arp(1, kMacA, "10.0.0.1", kMacZero,
                                                                             "10.0.0.2").Build()));
}

// ---------------------------------------------------------------- VLAN

struct TVlanRow {
  uint16_t RuleVlan;
  int FrameVlan;  // -1: untagged
  uint8_t Protocol;
  bool Expected;
};

TEST_F(MatchesFilterTest, VlanTable) {
  const TVlanRow rows[] = {
      {0, -1, fpAny, true},        {0, 100, fpAny, true},         {100, -1, fpAny, false},
      {100, 100, fpAny, true},     {100, 200, fpAny, false},      {100, 100, fpIPv4TCP, true},
      {100, 100, fpIPv4UDP, false}, {100, 200, fpIPv4TCP, false}, {0, 100, fpIPv4TCP, true},
      {4095, 4095, fpAny, true},   {5000, 5000 & 0xFFF, fpAny, false},  // above 4095 matches nothing
      {100, -1, fpIPv4TCP, false},
  };
  for (const TVlanRow& row : rows) {
    Filter.VlanId = row.RuleVlan;
    Filter.Protocol = row.Protocol;
    EXPECT_EQ(Matches(Tcp4("10.0.0.1", "10.0.0.2", 1234, 80, row.FrameVlan)), row.Expected)
        << "rule " << row.RuleVlan << " frame " << row.FrameVlan << " protocol " << int(row.Protocol);
  }
  // The priority bits of the tag are not part of the identifier.
  Filter.VlanId = 100;
  Filter.Protocol = fpAny;
  EXPECT_TRUE(Matches(TFrameBuilder().Ethernet(kMacB, kMacA).Vlan(100, 5).IPv4("1.1.1.1", "2.2.2.2", 6).Build()));
  // Only one tag is looked at: the inner tag's EtherType is 8100, not IPv4.
  Filter.Protocol = fpAnyIPv4;
  EXPECT_FALSE(Matches(TFrameBuilder().Ethernet(kMacB, kMacA).Vlan(100).Vlan(200).IPv4("1.1.1.1", "2.2.2.2", 6).Build()));
}

// ---------------------------------------------------------------- addresses and ports

struct TRuleRow {
  const char* Name;
  std::function<void(TFilterSettings&)> Rule;
  TFrame Frame;
  TTrafficDirection Direction;
  bool Expected;
};

void RunRows(const std::vector<TRuleRow>& rows, TFilterSettings& filter,
             const std::function<bool(const TFrame&, TTrafficDirection)>& matches) {
  for (const TRuleRow& row : rows) {
    TFilterSettings saved = filter;
    row.Rule(filter);
    EXPECT_EQ(matches(row.Frame, row.Direction), row.Expected) << row.Name;
    filter = saved;
  }
}

constexpr auto kIn = TTrafficDirection::tdIncoming;
constexpr auto kOut = TTrafficDirection::tdOutgoing;
constexpr auto kBoth = TTrafficDirection::tdBoth;

auto Protocol(uint8_t p) {
  return [p](TFilterSettings& f) { f.Protocol = p; };
}
template <typename... F>
auto All(F... steps) {
  return [=](TFilterSettings& f) { (steps(f), ...); };
}
auto SourceIP(const char* a) {
  return [=](TFilterSettings& f) {
    f.Source.AddrType = akSingleIP;
    f.Source.Addr1 = Addr(a);
  };
}
auto DestIP(const char* a) {
  return [=](TFilterSettings& f) {
    f.Destination.AddrType = akSingleIP;
    f.Destination.Addr1 = Addr(a);
  };
}
auto DestRange(const char* lo, const char* hi) {
  return [=](TFilterSettings& f) {
    f.Destination.AddrType = akIPRange;
    f.Destination.Addr1 = Addr(lo);
    f.Destination.Addr2 = Addr(hi);
  };
}
auto SourceLocal() {
  return [](TFilterSettings& f) { f.Source.AddrType = akLocalHost; };
}
auto DestLocal() {
  return [](TFilterSettings& f) { f.Destination.AddrType = akLocalHost; };
}
auto SourceMac(const TMac& m) {
  return [=](TFilterSettings& f) {
    f.Source.AddrType = akMac;
    f.Source.Mac = Mac(m);
  };
}
auto DestMac(const TMac& m) {
  return [=](TFilterSettings& f) {
    f.Destination.AddrType = akMac;
    f.Destination.Mac = Mac(m);
  };
}
auto SourceGroup(int32_t id) {
  return [=](TFilterSettings& f) {
    f.Source.AddrType = akGroup;
    f.Source.GroupId = id;
  };
}
auto SourcePorts(uint8_t type, std::vector<uint16_t> ports) {
  return [=](TFilterSettings& f) {
    f.Source.PortType = type;
    f.Source.Ports = ports;
  };
}
auto DestPorts(uint8_t type, std::vector<uint16_t> ports) {
  return [=](TFilterSettings& f) {
    f.Destination.PortType = type;
    f.Destination.Ports = ports;
  };
}

TEST_F(MatchesFilterTest, AddressTable) {
  const std::vector<TRuleRow> rows = {
      {"single source equal", All(Protocol(fpIPv4TCP), SourceIP("10.0.0.1")), Tcp4("10.0.0.1", "10.0.0.2"), kIn, true},
      {"single source differs", All(Protocol(fpIPv4TCP), SourceIP("10.0.0.1")), Tcp4("10.0.0.9", "10.0.0.2"), kIn, false},
      {"single destination", All(Protocol(fpAnyIPv4), DestIP("10.0.0.2")), Tcp4("10.0.0.1", "10.0.0.2"), kIn, true},
      {"single is not the other side", All(Protocol(fpAnyIPv4), DestIP("10.0.0.1")), Tcp4("10.0.0.1", "10.0.0.2"), kIn,
       false},
      {"IPv6 rule address, IPv4 frame", All(Protocol(fpAnyIPv4), SourceIP("::a00:1")), Tcp4("10.0.0.1", "10.0.0.2"),
       kIn, false},
      {"single IPv6", All(Protocol(fpIPv6TCP), SourceIP("2001:db8::1")), Tcp6("2001:db8::1", "2001:db8::2"), kIn, true},
      {"single IPv6 differs", All(Protocol(fpIPv6TCP), SourceIP("2001:db8::1")), Tcp6("2001:db8::3", "2001:db8::2"),
       kIn, false},
      {"range upper end", All(Protocol(fpIPv4TCP), DestRange("10.0.0.1", "10.0.0.5")), Tcp4("1.1.1.1", "10.0.0.5"),
       kIn, true},
      {"range lower end", All(Protocol(fpIPv4TCP), DestRange("10.0.0.1", "10.0.0.5")), Tcp4("1.1.1.1", "10.0.0.1"),
       kIn, true},
      {"range above", All(Protocol(fpIPv4TCP), DestRange("10.0.0.1", "10.0.0.5")), Tcp4("1.1.1.1", "10.0.0.6"), kIn,
       false},
      {"range numeric order", All(Protocol(fpIPv4TCP), DestRange("10.0.0.0", "10.255.255.255")),
       Tcp4("1.1.1.1", "11.0.0.0"), kIn, false},
      {"IPv6 range", All(Protocol(fpIPv6UDP), DestRange("2001:db8::", "2001:db8::ff")),
       Udp6("2001:db8::1", "2001:db8::80"), kIn, true},
      {"IPv6 range outside", All(Protocol(fpIPv6UDP), DestRange("2001:db8::", "2001:db8::ff")),
       Udp6("2001:db8::1", "2001:db8::100"), kIn, false},
      {"IPv4 range, IPv6 frame", All(Protocol(fpAnyIPv6), DestRange("0.0.0.1", "255.255.255.254")),
       Udp6("2001:db8::1", "2001:db8::2"), kIn, false},
      {"local source", All(Protocol(fpIPv4TCP), SourceLocal()), Tcp4(kLocal4, "10.0.0.1"), kOut, true},
      {"local source, not local", All(Protocol(fpIPv4TCP), SourceLocal()), Tcp4("10.0.0.9", "10.0.0.1"), kOut, false},
      {"local source, broadcast", All(Protocol(fpIPv4UDP), SourceLocal()), Udp4("192.168.5.255", "10.0.0.1"), kOut,
       true},
      {"local destination, broadcast", All(Protocol(fpIPv4UDP), DestLocal()), Udp4("10.0.0.1", "10.0.0.255"), kIn,
       true},
      {"local IPv6", All(Protocol(fpIPv6TCP), DestLocal()), Tcp6("2001:db8::1", kLocal6), kIn, true},
      {"local IPv6, not local", All(Protocol(fpIPv6TCP), DestLocal()), Tcp6("2001:db8::1", "2001:db8::11"), kIn, false},
      {"MAC source", All(Protocol(fpIPv4TCP), SourceMac(kMacA)), Tcp4("1.1.1.1", "2.2.2.2"), kIn, true},
      {"MAC source differs", All(Protocol(fpIPv4TCP), SourceMac(kMacB)), Tcp4("1.1.1.1", "2.2.2.2"), kIn, false},
      {"MAC destination", All(Protocol(fpIPv6TCP), DestMac(kMacB)), Tcp6("::1", "::2"), kIn, true},
      {"zero MAC, non-zero frame", All(Protocol(fpIPv4TCP), SourceMac(kMacZero)), Tcp4("1.1.1.1", "2.2.2.2"), kIn,
       false},
      {"zero MAC, zero frame", All(Protocol(fpIPv4TCP), SourceMac(kMacZero)),
       TFrameBuilder().IPv4("1.1.1.1", "2.2.2.2", kProtoTcp).Tcp(1, 2).Build(), kIn, true},
      {"MAC with Any protocol not examined", All(Protocol(fpAny), SourceMac(kMacB)), Tcp4("1.1.1.1", "2.2.2.2"), kIn,
       true},
      {"MAC with ARP not examined", All(Protocol(fpARP), SourceMac(kMacB), DestMac(kMacB)), Arp(), kIn, true},
      {"MAC with PPPoE not examined", All(Protocol(fpPPPoE), SourceMac(kMacB)), PPPoE(kEtherTypePPPoESession), kIn,
       true},
      {"address kinds with Any not examined", All(Protocol(fpAny), SourceIP("9.9.9.9"), DestLocal()),
       Tcp4("1.1.1.1", "2.2.2.2"), kIn, true},
      {"group member", All(Protocol(fpIPv4TCP), SourceGroup(0)), Tcp4("10.0.0.3", "2.2.2.2"), kIn, true},
      {"group non-member", All(Protocol(fpIPv4TCP), SourceGroup(0)), Tcp4("10.0.0.2", "2.2.2.2"), kIn, false},
      {"group -1", All(Protocol(fpIPv4TCP), SourceGroup(-1)), Tcp4("10.0.0.1", "2.2.2.2"), kIn, false},
      {"group past the end", All(Protocol(fpIPv4TCP), SourceGroup(2)), Tcp4("10.0.0.1", "2.2.2.2"), kIn, false},
      {"group of IPv4 only, IPv6 frame", All(Protocol(fpIPv6TCP), SourceGroup(0)), Tcp6("::a00:1", "::2"), kIn, false},
      {"IPv6 group", All(Protocol(fpIPv6TCP), SourceGroup(1)), Tcp6("2001:db8::1", "::2"), kIn, true},
      {"unknown address kind matches nothing", All(Protocol(fpIPv4TCP), [](TFilterSettings& f) { f.Source.AddrType = 6; }),
       Tcp4("1.1.1.1", "2.2.2.2"), kIn, false},
  };
  RunRows(rows, Filter, [this](const TFrame& f, TTrafficDirection d) { return Matches(f, d); });
}

TEST_F(MatchesFilterTest, PortTable) {
  const std::vector<TRuleRow> rows = {
      {"range lower end", All(Protocol(fpIPv4TCP), DestPorts(ptRange, {1000, 2000})), Tcp4("1.1.1.1", "2.2.2.2", 1, 1000),
       kIn, true},
      {"range upper end", All(Protocol(fpIPv4TCP), DestPorts(ptRange, {1000, 2000})), Tcp4("1.1.1.1", "2.2.2.2", 1, 2000),
       kIn, true},
      {"range below", All(Protocol(fpIPv4TCP), DestPorts(ptRange, {1000, 2000})), Tcp4("1.1.1.1", "2.2.2.2", 1, 999),
       kIn, false},
      {"range above", All(Protocol(fpIPv4TCP), DestPorts(ptRange, {1000, 2000})), Tcp4("1.1.1.1", "2.2.2.2", 1, 2001),
       kIn, false},
      {"range reversed is empty", All(Protocol(fpIPv4TCP), DestPorts(ptRange, {2000, 1000})),
       Tcp4("1.1.1.1", "2.2.2.2", 1, 1500), kIn, false},
      {"list 80", All(Protocol(fpIPv4TCPUDP), DestPorts(ptList, {80, 443})), Tcp4("1.1.1.1", "2.2.2.2", 1, 80), kIn,
       true},
      {"list 443 UDP", All(Protocol(fpIPv4TCPUDP), DestPorts(ptList, {80, 443})), Udp4("1.1.1.1", "2.2.2.2", 1, 443),
       kIn, true},
      {"list other", All(Protocol(fpIPv4TCPUDP), DestPorts(ptList, {80, 443})), Tcp4("1.1.1.1", "2.2.2.2", 1, 8080), kIn,
       false},
      {"empty list", All(Protocol(fpIPv4TCP), DestPorts(ptList, {})), Tcp4("1.1.1.1", "2.2.2.2", 1, 80), kIn, false},
      {"single source port", All(Protocol(fpIPv4UDP), SourcePorts(ptSingle, {1234})), Udp4("1.1.1.1", "2.2.2.2", 1234, 1),
       kIn, true},
      {"single source port differs", All(Protocol(fpIPv4UDP), SourcePorts(ptSingle, {1234})),
       Udp4("1.1.1.1", "2.2.2.2", 1235, 1), kIn, false},
      {"single is the source, not the destination", All(Protocol(fpIPv4UDP), SourcePorts(ptSingle, {53})),
       Udp4("1.1.1.1", "2.2.2.2", 1234, 53), kIn, false},
      {"IPv6 TCP port", All(Protocol(fpIPv6TCP), DestPorts(ptSingle, {80})), Tcp6("::1", "::2", 1, 80), kIn, true},
      {"IPv6 UDP port differs", All(Protocol(fpIPv6TCPUDP), DestPorts(ptSingle, {80})), Udp6("::1", "::2", 1, 81), kIn,
       false},
      {"IPv4 options move the ports", All(Protocol(fpIPv4TCP), DestPorts(ptSingle, {80})),
       TFrameBuilder().Ethernet(kMacB, kMacA).IPv4("1.1.1.1", "2.2.2.2", kProtoTcp, 2).Tcp(1234, 80).Build(), kIn, true},
      {"ports not examined for a non-port protocol", All(Protocol(fpAnyIPv4), DestPorts(ptSingle, {9})),
       Tcp4("1.1.1.1", "2.2.2.2", 1, 80), kIn, true},
      {"unknown port kind matches nothing", All(Protocol(fpIPv4TCP), DestPorts(7, {80})),
       Tcp4("1.1.1.1", "2.2.2.2", 1, 80), kIn, false},
      {"address and port", All(Protocol(fpIPv4TCP), SourceIP("1.1.1.1"), DestPorts(ptSingle, {80})),
       Tcp4("1.1.1.1", "2.2.2.2", 1, 80), kIn, true},
  };
  RunRows(rows, Filter, [this](const TFrame& f, TTrafficDirection d) { return Matches(f, d); });
}

// ---------------------------------------------------------------- directions

TEST_F(MatchesFilterTest, DirectionsAndExchangedSides) {
  auto localTo10001 = All(Protocol(fpIPv4TCP), SourceLocal(), DestIP("10.0.0.1"));
  auto portRule = All(Protocol(fpIPv4TCP), SourceIP("10.0.0.1"), DestIP("10.0.0.2"), SourcePorts(ptSingle, {1234}),
                      DestPorts(ptSingle, {80}));
  const TFrame reply = TFrameBuilder().Ethernet(kMacA, kMacB).IPv4("10.0.0.2", "10.0.0.1", kProtoTcp).Tcp(80, 1234).Build();
  const std::vector<TRuleRow> rows = {
      {"both: outgoing from here", localTo10001, Tcp4(kLocal4, "10.0.0.1"), kBoth, true},
      {"both: incoming to here", localTo10001, Tcp4("10.0.0.1", kLocal4), kBoth, true},
      {"incoming only: written sides only", localTo10001, Tcp4("10.0.0.1", kLocal4), kIn, false},
      {"incoming only: rule written the other way",
       All(Protocol(fpIPv4TCP), SourceIP("10.0.0.1"), DestLocal()), Tcp4("10.0.0.1", kLocal4), kIn, true},
      {"outgoing only: reversed frame", localTo10001, Tcp4("10.0.0.1", kLocal4), kOut, false},
      {"both: unrelated frame", localTo10001, Tcp4("10.0.0.7", "10.0.0.8"), kBoth, false},
      {"both: ports exchanged with addresses", portRule, reply, kBoth, true},
      {"incoming: ports not exchanged", portRule, reply, kIn, false},
      {"both: addresses exchanged, ports not",
       portRule, TFrameBuilder().IPv4("10.0.0.2", "10.0.0.1", kProtoTcp).Tcp(1234, 80).Build(), kBoth, false},
      {"both: MAC exchanged", All(Protocol(fpIPv4UDP), SourceMac(kMacB), DestMac(kMacA)), Udp4("1.1.1.1", "2.2.2.2"),
       kBoth, true},
      {"outgoing: MAC not exchanged", All(Protocol(fpIPv4UDP), SourceMac(kMacB), DestMac(kMacA)),
       Udp4("1.1.1.1", "2.2.2.2"), kOut, false},
      {"both: one side exchanged is not enough", All(Protocol(fpIPv4TCP), SourceIP("10.0.0.1"), DestIP("10.0.0.2")),
       Tcp4("10.0.0.2", "10.0.0.2"), kBoth, false},
      {"both: IPv6 exchanged", All(Protocol(fpIPv6UDP), SourceLocal(), DestIP("2001:db8::1")),
       Udp6("2001:db8::1", kLocal6), kBoth, true},
  };
  RunRows(rows, Filter, [this](const TFrame& f, TTrafficDirection d) { return Matches(f, d); });
}

// ---------------------------------------------------------------- malformed port specifications

std::string AssertionMessage(const std::function<void()>& call) {
  try {
    call();
  } catch (const EAssertionFailed& e) {
    return e.what();
  }
  return "";
}

TEST_F(MatchesFilterTest, WrongPortCountsAreAssertionsOfGUIMain) {
  const TFrame frame = Tcp4("1.1.1.1", "2.2.2.2", 1, 80);
  Filter.Protocol = fpIPv4TCP;
  for (std::vector<uint16_t> ports : {std::vector<uint16_t>{}, std::vector<uint16_t>{80, 81}}) {
    Filter.Destination.PortType = ptSingle;
    Filter.Destination.Ports = ports;
    std::string message = AssertionMessage([&] { Matches(frame); });
    EXPECT_NE(message.find("checking single port error"), std::string::npos) << message;
    EXPECT_NE(message.find("GUIMain"), std::string::npos) << message;
  }
  for (std::vector<uint16_t> ports : {std::vector<uint16_t>{}, std::vector<uint16_t>{1000}, std::vector<uint16_t>{1, 2, 3}}) {
    Filter.Destination.PortType = ptRange;
    Filter.Destination.Ports = ports;
    std::string message = AssertionMessage([&] { Matches(frame); });
    EXPECT_NE(message.find("checking port range error"), std::string::npos) << message;
    EXPECT_NE(message.find("GUIMain"), std::string::npos) << message;
  }
  // The port test is reached only after both address tests passed, and only
  // for a port protocol.
  Filter.Source.AddrType = akSingleIP;
  Filter.Source.Addr1 = Addr("9.9.9.9");
  EXPECT_FALSE(Matches(frame));
  Filter.Source.AddrType = akAnyIP;
  Filter.Protocol = fpAnyIPv4;
  EXPECT_TRUE(Matches(frame));
}

// ---------------------------------------------------------------- short frames

// Truncates the frame at every length: the rule matches exactly when the frame
// holds every field it must examine, that is from `needed` bytes on.
void ExpectMatchesFrom(const TFrame& full, size_t needed, const std::function<bool(const TFrame&)>& matches,
                       const char* name) {
  ASSERT_TRUE(matches(full)) << name;
  for (size_t length = 0; length <= full.size(); ++length) {
    TFrame cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(length));
    EXPECT_EQ(matches(cut), length >= needed) << name << ", length " << length;
  }
}

TEST_F(MatchesFilterTest, ShortFramesNeverReadPastTheirLength) {
  auto matches = [this](const TFrame& f) { return Matches(f, kBoth); };
  const TFrame tcp4 = Tcp4("10.0.0.1", "10.0.0.2", 1234, 80);
  const TFrame tcp6 = Tcp6("2001:db8::1", "2001:db8::2", 1234, 80);
  const TFrame tagged = Tcp4("10.0.0.1", "10.0.0.2", 1234, 80, 100);

  ExpectMatchesFrom(tcp4, 0, matches, "Any examines nothing");
  Filter.VlanId = 100;
  ExpectMatchesFrom(tagged, 16, matches, "VLAN needs the tag");
  Filter.VlanId = 0;
  Filter.Protocol = fpAnyIPv4;
  ExpectMatchesFrom(tcp4, 14, matches, "Any IPv4 needs the EtherType");
  ExpectMatchesFrom(tagged, 18, matches, "Any IPv4 behind a tag");
  Filter.Protocol = fpIPv4TCP;
  ExpectMatchesFrom(tcp4, 14 + 10, matches, "IPv4 TCP needs the protocol byte");
  Filter.Source.AddrType = akSingleIP;
  Filter.Source.Addr1 = Addr("10.0.0.1");
  ExpectMatchesFrom(tcp4, 14 + 16, matches, "source address");
  Filter.Source.AddrType = akLocalHost;
  Filter.Destination.AddrType = akSingleIP;
  Filter.Destination.Addr1 = Addr("10.0.0.2");
  ExpectMatchesFrom(Tcp4(kLocal4, "10.0.0.2"), 14 + 20, matches, "destination address");
  Filter.Source.AddrType = akAnyIP;
  Filter.Destination.AddrType = akAnyIP;
  Filter.Source.PortType = ptSingle;
  Filter.Source.Ports = {1234};
  ExpectMatchesFrom(tcp4, 14 + 20 + 2, matches, "source port");
  Filter.Source.PortType = ptAny;
  Filter.Destination.PortType = ptList;
  Filter.Destination.Ports = {80};
  ExpectMatchesFrom(tcp4, 14 + 20 + 4, matches, "destination port");

  Filter = TFilterSettings();
  Filter.Enabled = true;
  Filter.Protocol = fpIPv6TCP;
  ExpectMatchesFrom(tcp6, 14 + 7, matches, "IPv6 TCP needs the next header");
  Filter.Destination.AddrType = akIPRange;
  Filter.Destination.Addr1 = Addr("2001:db8::2");
  Filter.Destination.Addr2 = Addr("2001:db8::2");
  ExpectMatchesFrom(tcp6, 14 + 40, matches, "IPv6 destination");
  Filter.Destination.AddrType = akAnyIP;
  Filter.Source.AddrType = akMac;
  Filter.Source.Mac = Mac(kMacA);
  ExpectMatchesFrom(tcp6, 14 + 7, matches, "MAC is always inside");
  Filter.Source.AddrType = akAnyIP;
  Filter.Source.PortType = ptRange;
  Filter.Source.Ports = {1000, 2000};
  ExpectMatchesFrom(tcp6, 14 + 40 + 2, matches, "IPv6 source port");

  Filter = TFilterSettings();
  Filter.Enabled = true;
  Filter.Protocol = fpARP;
  ExpectMatchesFrom(Arp(), 14, matches, "ARP needs the EtherType only");

  // An IPv4 header length beyond the frame: no port, no match, no read.
  Filter.Protocol = fpIPv4TCP;
  Filter.Destination.PortType = ptSingle;
  Filter.Destination.Ports = {80};
  TFrame longHeader = tcp4;
  longHeader[14] = 0x4F;  // 60-byte header claimed, the frame has 20 + 20
  EXPECT_FALSE(Matches(TFrame(longHeader.begin(), longHeader.begin() + 14 + 20 + 20), kBoth));
  // An empty frame with a null pointer.
  Filter.Protocol = fpAny;
  Filter.VlanId = 0;
  EXPECT_TRUE(MatchesFilter(Filter, kBoth, nullptr, 0, Local));
  Filter.Protocol = fpIPv4TCP;
  EXPECT_FALSE(MatchesFilter(Filter, kBoth, nullptr, 0, Local));
}

}  // namespace
