// The kernel's form of the rule: which rules the kernel decides itself, and
// which it leaves to the engine by handing it every frame.
#include <gtest/gtest.h>

#include <arpa/inet.h>

#include <functional>
#include <string>

#include "platform/linux/KernelSelection.h"

namespace {

TIPAddr V4(const char* text) { return TIPAddr::Create(inet_addr(text)); }

TFrameSelection UdpPort5000() {
  TFrameSelection s;
  s.EngineSeesAll = false;
  s.Direction = TTrafficDirection::tdBoth;
  s.Filter.Enabled = true;
  s.Filter.Protocol = fpIPv4UDP;
  s.Filter.Destination.PortType = ptSingle;
  s.Filter.Destination.Ports = {5000};
  return s;
}

bool PortSet(const ot_endpoint& side, uint16_t port) { return (side.ports[port >> 3] >> (port & 7)) & 1; }

TEST(KernelSelection, RulesTheKernelCannotDecideExactlyFallBackToStealingEveryFrame) {
  const TIPAddrList local = {V4("10.0.0.1")};
  struct TCase {
    const char* Name;
    std::function<void(TFrameSelection&)> Change;
    bool LocalKnown;
    bool FallsBack;
  };
  const TCase cases[] = {
      {"a port rule", [](TFrameSelection&) {}, true, false},
      {"bridge mode", [](TFrameSelection& s) { s.EngineSeesAll = true; }, true, true},
      {"a single port without exactly one port", [](TFrameSelection& s) { s.Filter.Destination.Ports = {1, 2}; }, true, true},
      {"a range without exactly two ports",
       [](TFrameSelection& s) {
         s.Filter.Source.PortType = ptRange;
         s.Filter.Source.Ports = {7};
       },
       true, true},
      {"wrong port counts of a protocol without ports",
       [](TFrameSelection& s) {
         s.Filter.Protocol = fpAnyIPv4;
         s.Filter.Destination.Ports = {};
       },
       true, false},
      {"wrong port counts while the rule is off",
       [](TFrameSelection& s) {
         s.Filter.Enabled = false;
         s.Filter.Destination.Ports = {};
       },
       true, false},
      {"a single address of no IP version",
       [](TFrameSelection& s) {
         s.Filter.Source.AddrType = akSingleIP;
         s.Filter.Source.Addr1.Ver = static_cast<TAddrType>(7);
       },
       true, true},
      {"an unused address of no IP version",
       [](TFrameSelection& s) { s.Filter.Source.Addr1.Ver = static_cast<TAddrType>(7); }, true, false},
      {"local host before the engine said its addresses",
       [](TFrameSelection& s) { s.Filter.Source.AddrType = akLocalHost; }, false, true},
      {"local host with the engine's addresses", [](TFrameSelection& s) { s.Filter.Source.AddrType = akLocalHost; },
       true, false},
      {"a protocol that looks at no address, addresses unknown",
       [](TFrameSelection& s) {
         s.Filter.Protocol = fpARP;
         s.Filter.Source.AddrType = akLocalHost;
       },
       false, false},
      {"a group too large for the kernel's sets",
       [](TFrameSelection& s) {
         TIPAddrList members;
         for (uint32_t i = 0; i <= OT_ADDRESS_SET_CAPACITY; ++i) members.Add(TIPAddr::Create(htonl(0x0A000000 + i)));
         s.Filter.Groups.Add("many", members);
         s.Filter.Source.AddrType = akGroup;
         s.Filter.Source.GroupId = 0;
       },
       true, true},
  };
  for (const TCase& c : cases) {
    TFrameSelection selection = UdpPort5000();
    c.Change(selection);
    const auto kernel = TranslateSelection(selection, c.LocalKnown ? &local : nullptr);
    EXPECT_EQ(!kernel->Fallback.empty(), c.FallsBack) << c.Name << ": " << kernel->Fallback;
    EXPECT_EQ(kernel->Rule.mode, c.FallsBack ? OT_STEAL_ALL : OT_DECIDE) << c.Name;
  }
}

TEST(KernelSelection, PortKindsBecomeTheSetOfPortsTheySelect) {
  TFrameSelection s = UdpPort5000();
  s.Filter.Source.PortType = ptRange;
  s.Filter.Source.Ports = {1000, 2000};
  const auto range = TranslateSelection(s, nullptr);
  for (uint16_t port : {999, 1000, 2000, 2001})
    EXPECT_EQ(PortSet(range->Rule.sides[OT_SOURCE], port), port >= 1000 && port <= 2000) << port;
  EXPECT_TRUE(PortSet(range->Rule.sides[OT_DESTINATION], 5000));
  EXPECT_FALSE(PortSet(range->Rule.sides[OT_DESTINATION], 5001));
  // A range given backwards holds no port, as in the engine.
  s.Filter.Source.Ports = {2000, 1000};
  const auto backwards = TranslateSelection(s, nullptr);
  EXPECT_FALSE(PortSet(backwards->Rule.sides[OT_SOURCE], 1500));
  EXPECT_FALSE(backwards->Rule.sides[OT_SOURCE].any_port);
  s.Filter.Source.PortType = ptList;
  s.Filter.Source.Ports = {80, 443};
  const auto list = TranslateSelection(s, nullptr);
  EXPECT_TRUE(PortSet(list->Rule.sides[OT_SOURCE], 80) && PortSet(list->Rule.sides[OT_SOURCE], 443));
  EXPECT_FALSE(PortSet(list->Rule.sides[OT_SOURCE], 81));
  s.Filter.Source.PortType = ptAny;
  EXPECT_TRUE(TranslateSelection(s, nullptr)->Rule.sides[OT_SOURCE].any_port);
}

TEST(KernelSelection, AddressSetsHoldTheLocalListAndTheNamedGroupsOnce) {
  TFrameSelection s = UdpPort5000();
  s.Filter.Groups.Add("a", {V4("10.0.0.7"), V4("10.0.0.7"), V4("10.0.0.8")});
  s.Filter.Groups.Add("b", {V4("10.0.0.9")});
  s.Filter.Source.AddrType = akGroup;
  s.Filter.Source.GroupId = 0;
  s.Filter.Destination.AddrType = akLocalHost;
  const TIPAddrList local = {V4("10.0.0.1"), V4("10.0.0.7")};
  const auto kernel = TranslateSelection(s, &local);
  ASSERT_EQ(kernel->Fallback, "");
  // Two members of group 0 (the repeat once), both local addresses; group 1 is not named.
  ASSERT_EQ(kernel->Addresses.size(), 4u);
  int localEntries = 0, groupEntries = 0;
  for (const ot_address_key& key : kernel->Addresses) {
    localEntries += key.set == OT_SET_LOCAL;
    groupEntries += key.set == OT_SET_SOURCE_GROUP;
  }
  EXPECT_EQ(localEntries, 2);
  EXPECT_EQ(groupEntries, 2);
  // A group position outside the list is an empty set, not a fallback.
  s.Filter.Source.GroupId = 5;
  EXPECT_EQ(TranslateSelection(s, &local)->Fallback, "");
}

}  // namespace
