// The rule editor's value rules without widgets: the protocol list, port
// numbers, loading a rule, storing one, and renumbering groups.
#include <gtest/gtest.h>

#include "tests/filter/AddressText.h"
#include "common/Assertion.h"
#include "filter/windows/GroupRenumbering.h"
#include "filter/windows/RuleEditorValues.h"

namespace {

TAddressFieldValue Field(const TIPAddr& addr) { return {addr, false}; }

}  // namespace

TEST(RuleEditorValuesTest, ProtocolListOrder) {
  const char* const labels[kProtocolListCount] = {
      "Any",      "Any IPv4", "IPv4 TCP",     "IPv4 UDP",    "IPv4 TCP/UDP", "IPv4 AH/ESP", "IPv4 ICMP", "IPv4 GRE", "Any IPv6",
      "IPv6 TCP", "IPv6 UDP", "IPv6 TCP/UDP", "IPv6 AH/ESP", "IPv6 ICMP",    "IPv6 GRE",    "PPPoE",     "ARP"};
  const uint8_t values[kProtocolListCount] = {0, 7, 1, 2, 3, 4, 6, 5, 14, 8, 9, 10, 11, 13, 12, 15, 16};
  for (int position = 0; position < kProtocolListCount; ++position) {
    const uint8_t protocol = ProtocolAtListPosition(position);
    EXPECT_EQ(protocol, values[position]) << position;
    EXPECT_STREQ(kFilterProtocolLabels[protocol], labels[position]) << position;
    EXPECT_EQ(ListPositionOfProtocol(protocol), position);
    // The list's classes agree with the rule's.
    EXPECT_EQ(IsIPv4Protocol(protocol), position >= 1 && position <= 7) << position;
    EXPECT_EQ(IsIPv6Protocol(protocol), position >= 8 && position <= 14) << position;
    EXPECT_EQ(IsPortProtocol(protocol), (position >= 2 && position <= 4) || (position >= 9 && position <= 11));
  }
  EXPECT_THROW(ProtocolAtListPosition(17), EAssertionFailed);
  EXPECT_THROW(ListPositionOfProtocol(17), EAssertionFailed);
}

TEST(RuleEditorValuesTest, PortNumbers) {
  struct {
    const char* Text;
    bool Valid;
    uint16_t Port;
  } const cases[] = {
      {"0", true, 0},       {"80", true, 80},      {"65535", true, 65535}, {" 443 ", true, 443},
      {"0080", true, 80},   {"65536", false, 0},   {"70000", false, 0},    {"99999999999", false, 0},
      {"", false, 0},       {" ", false, 0},       {"abc", false, 0},      {"-1", false, 0},
      {"+80", false, 0},    {"8 0", false, 0},     {"1e3", false, 0},      {"0x50", false, 0},
  };
  for (const auto& c : cases) {
    uint16_t port = 12345;
    EXPECT_EQ(ParsePortNumber(c.Text, port), c.Valid) << '"' << c.Text << '"';
    if (c.Valid) {
      EXPECT_EQ(port, c.Port) << c.Text;
    }
  }
}

TEST(RuleEditorValuesTest, LoadingRefusesValuesOutsideTheTables) {
  struct {
    const char* What;
    void (*Spoil)(TFilterSettings&);
  } const cases[] = {
      {"protocol 17", [](TFilterSettings& r) { r.Protocol = 17; }},
      {"source address kind 6", [](TFilterSettings& r) { r.Source.AddrType = 6; }},
      {"destination port kind 4", [](TFilterSettings& r) { r.Destination.PortType = 4; }},
  };
  for (const auto& c : cases) {
    TFilterSettings rule;
    c.Spoil(rule);
    try {
      LoadRuleEditorValues(rule);
      ADD_FAILURE() << c.What << " was loaded";
    } catch (const EAssertionFailed& e) {
      EXPECT_NE(std::string(e.what()).find("EditRule"), std::string::npos) << e.what();
    }
  }
}

TEST(RuleEditorValuesTest, LoadingPutsAddressesIntoTheFieldsOfTheirFamily) {
  TFilterSettings rule;
  rule.Protocol = fpIPv6TCP;
  rule.Source.AddrType = akIPRange;
  rule.Source.Addr1 = Addr("fe80::1");
  rule.Source.Addr2 = Addr("fe80::ff");
  rule.Destination.Addr1 = Addr("10.0.0.1");
  rule.Destination.PortType = ptList;
  rule.Destination.Ports = {80, 443};
  rule.Source.PortType = ptRange;
  rule.Source.Ports = {1000, 2000};
  rule.Source.Mac = THWAddr::Create("001A2B3C4D5E");
  rule.Source.GroupId = 3;
  const TRuleEditorValues values = LoadRuleEditorValues(rule);
  EXPECT_EQ(values.ProtocolPosition, 9);
  EXPECT_FALSE(values.Source.IPv6First.Empty);
  EXPECT_EQ(values.Source.IPv6First.Addr, rule.Source.Addr1);
  EXPECT_EQ(values.Source.IPv6Last.Addr, rule.Source.Addr2);
  EXPECT_TRUE(values.Source.IPv4First.Empty);
  EXPECT_FALSE(values.Destination.IPv4First.Empty);
  EXPECT_TRUE(values.Destination.IPv6First.Empty);
  EXPECT_TRUE(values.Destination.IPv4Last.Empty) << "0.0.0.0 shows as a blank field";
  EXPECT_EQ(values.Source.MacText, "001A2B3C4D5E");
  EXPECT_EQ(values.Source.GroupPosition, 3);
  EXPECT_EQ(values.Source.PortFrom, "1000");
  EXPECT_EQ(values.Source.PortTo, "2000");
  EXPECT_EQ(values.Destination.PortList, (std::vector<std::string>{"80", "443"}));
}

TEST(RuleEditorValuesTest, StoreReplacesTheRuleAndKeepsTheGroups) {
  TFilterSettings rule;
  rule.Groups.Add("Servers", {Addr("10.0.0.1")});
  rule.Destination.AddrType = akMac;  // replaced, not merged
  TRuleEditorValues values;
  values.Enabled = true;
  values.ProtocolPosition = ListPositionOfProtocol(fpIPv4TCP);
  values.VlanId = 100;
  values.Source.AddrType = akIPRange;
  values.Source.IPv4First = Field(Addr("10.0.0.1"));
  values.Source.IPv4Last = Field(Addr("10.0.0.9"));
  values.Source.IPv6First = Field(Addr("fe80::1"));
  values.Source.PortType = ptRange;
  values.Source.PortFrom = "1000";
  values.Source.PortTo = "2000";
  values.Destination.AddrType = akGroup;
  values.Destination.GroupPosition = 0;
  values.Destination.MacText = "00-1A-2B-3C-4D-5E";
  values.Destination.PortType = ptList;
  values.Destination.PortList = {"80", "0443"};
  StoreRuleEditorValues(values, rule);

  EXPECT_TRUE(rule.Enabled);
  EXPECT_EQ(rule.Protocol, fpIPv4TCP);
  EXPECT_EQ(rule.VlanId, 100);
  EXPECT_EQ(rule.Source.AddrType, akIPRange);
  EXPECT_EQ(rule.Source.Addr1, Addr("10.0.0.1")) << "an IPv4 protocol takes the IPv4 fields";
  EXPECT_EQ(rule.Source.Addr2, Addr("10.0.0.9"));
  EXPECT_EQ(rule.Source.Ports, (std::vector<uint16_t>{1000, 2000}));
  EXPECT_EQ(rule.Destination.AddrType, akGroup);
  EXPECT_EQ(rule.Destination.GroupId, 0);
  EXPECT_EQ(HWAddrToStr(rule.Destination.Mac), "001A2B3C4D5E") << "stored whatever the kind";
  EXPECT_EQ(rule.Destination.PortType, ptList);
  EXPECT_EQ(rule.Destination.Ports, (std::vector<uint16_t>{80, 443}));
  ASSERT_EQ(rule.Groups.Count(), 1);
  EXPECT_EQ(rule.Groups.Name(0), "Servers");
}

TEST(RuleEditorValuesTest, StoreTakesTheAddressesOfTheProtocolsFamily) {
  struct {
    uint8_t Protocol;
    TIPAddr Addr1;
  } const cases[] = {
      {fpAnyIPv4, Addr("10.0.0.1")},
      {fpIPv6UDP, Addr("2001:db8::1")},
      {fpAny, TIPAddr()},
      {fpARP, TIPAddr()},
      {fpPPPoE, TIPAddr()},
  };
  for (const auto& c : cases) {
    TRuleEditorValues values;
    values.ProtocolPosition = ListPositionOfProtocol(c.Protocol);
    values.Source.AddrType = akSingleIP;
    values.Source.IPv4First = Field(Addr("10.0.0.1"));
    values.Source.IPv6First = Field(Addr("2001:db8::1"));
    TFilterSettings rule;
    StoreRuleEditorValues(values, rule);
    EXPECT_EQ(rule.Source.Addr1, c.Addr1) << kFilterProtocolLabels[c.Protocol];
    EXPECT_EQ(rule.Source.AddrType, akSingleIP) << "the kind is stored whatever the protocol";
  }
}

// A protocol without ports neither checks nor matches ports, so whatever the
// port fields hold, the store gives "Any" without numbers and nothing can be
// half-stored.
TEST(RuleEditorValuesTest, ProtocolsWithoutPortsStoreAnyPort) {
  for (uint8_t protocol : {fpAny, fpAnyIPv4, fpIPv4ICMP, fpIPv4GRE, fpIPv6AHESP, fpAnyIPv6, fpPPPoE, fpARP}) {
    TRuleEditorValues values;
    values.ProtocolPosition = ListPositionOfProtocol(protocol);
    values.Source.PortType = ptSingle;
    values.Source.SinglePort = "not a number";
    values.Destination.PortType = ptRange;
    values.Destination.PortFrom = "80";
    values.Destination.PortTo = "";
    TFilterSettings rule;
    rule.Source.Ports = {1, 2, 3};
    ASSERT_NO_THROW(StoreRuleEditorValues(values, rule)) << kFilterProtocolLabels[protocol];
    for (const TFilterEndpoint* side : {&rule.Source, &rule.Destination}) {
      EXPECT_EQ(side->PortType, ptAny) << kFilterProtocolLabels[protocol];
      EXPECT_TRUE(side->Ports.empty()) << kFilterProtocolLabels[protocol];
    }
  }
}

TEST(RuleEditorValuesTest, AnUncheckedPortLeavesTheRuleUntouched) {
  TFilterSettings rule;
  rule.Enabled = true;
  rule.Protocol = fpIPv4UDP;
  rule.Source.PortType = ptSingle;
  rule.Source.Ports = {53};
  const TFilterSettings before = rule;
  TRuleEditorValues values = LoadRuleEditorValues(rule);
  values.Enabled = false;
  values.Destination.PortType = ptSingle;
  values.Destination.SinglePort = "x";
  EXPECT_THROW(StoreRuleEditorValues(values, rule), EAssertionFailed);
  EXPECT_EQ(rule, before);
}

TEST(RuleEditorValuesTest, LoadThenStoreGivesTheRuleBack) {
  std::vector<TFilterSettings> rules(4);
  {
    TFilterSettings& r = rules[0];  // every IPv4 field in use
    r.Enabled = true;
    r.Protocol = fpIPv4TCPUDP;
    r.VlanId = 4095;
    r.Source = {Addr("10.0.0.1"), Addr("10.0.0.200"), akIPRange, THWAddr::Create("020000000001"), 1, {1000, 2000}, ptRange};
    r.Destination = {Addr("192.168.1.1"), TIPAddr(), akSingleIP, THWAddr(), -1, {80}, ptSingle};
    r.Groups.Add("a");
    r.Groups.Add("b");
  }
  {
    TFilterSettings& r = rules[1];  // IPv6 with a port list
    r.Enabled = true;
    r.Protocol = fpIPv6UDP;
    r.Source = {Addr("fe80::1"), Addr("fe80::ff"), akIPRange, THWAddr(), -1, {}, ptAny};
    r.Destination = {Addr("2001:db8::1"), Addr("::1"), akSingleIP, THWAddr(), -1, {53, 5353, 0}, ptList};
  }
  {
    TFilterSettings& r = rules[2];  // MAC and group sides
    r.Protocol = fpAnyIPv4;
    r.Source.AddrType = akMac;
    r.Source.Mac = THWAddr::Create("001A2B3C4D5E");
    r.Destination.AddrType = akGroup;
    r.Destination.GroupId = 0;
  }
  {
    TFilterSettings& r = rules[3];  // a protocol without addresses
    r.Enabled = true;
    r.Protocol = fpARP;
    r.Source.AddrType = akLocalHost;
  }
  for (const TFilterSettings& original : rules) {
    TFilterSettings stored;
    stored.Groups.Assign(original.Groups);
    StoreRuleEditorValues(LoadRuleEditorValues(original), stored);
    EXPECT_EQ(stored, original) << kFilterProtocolLabels[original.Protocol];
  }
}

TEST(GroupRenumberingTest, NumbersFollowTheirGroups) {
  // Groups A B C D E; then B is deleted (C D E move up), then the group now
  // at position 2 (D) is deleted.
  TGroupRenumbering renumbering;
  renumbering.Deleted(1);
  renumbering.Deleted(2);
  struct {
    int32_t Before;
    int32_t After;
  } const cases[] = {
      {0, 0},    // A: before every deletion
      {1, -1},   // B: deleted
      {2, 1},    // C: moved up once
      {3, -1},   // D: deleted at its new position
      {4, 2},    // E: moved up twice
      {-1, -1},  // none stays none
      {9, 7},    // past the list (five groups) stays past it (three groups)
  };
  for (const auto& c : cases) EXPECT_EQ(renumbering.Renumbered(c.Before), c.After) << c.Before;
  renumbering.Reset();
  EXPECT_EQ(renumbering.Renumbered(4), 4);
}
