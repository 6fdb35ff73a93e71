// The packet-path operations allocate nothing (Parts 2.1 and 2.2): counted by
// replacing the global allocation functions for this test binary.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <new>

#include "filter/MatchesFilter.h"
#include "tests/filter/FrameBuilder.h"

namespace {
std::atomic<long> gAllocations{0};
}

void* operator new(std::size_t size) {
  ++gAllocations;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

using namespace frame_builder;

TIPAddr Addr(const char* text) {
  uint32_t v4;
  if (StrToIPv4(text, v4)) return TIPAddr::Create(v4);
  TIn6_addr v6;
  StrToIPv6(text, v6);
  return TIPAddr::Create(v6);
}

TEST(PacketPath, AllocatesNothing) {
  std::recursive_mutex lock;
  TLocalAddresses local(lock);
  local.Replace(TIPAddrList{Addr("192.168.1.10"), Addr("2001:db8::10")});
  const TMac a = {2, 0, 0, 0, 0, 1}, b = {2, 0, 0, 0, 0, 2};
  const auto tcp4 = TFrameBuilder().Ethernet(b, a).Vlan(7).IPv4("10.0.0.1", "192.168.1.10", kProtoTcp).Tcp(1, 80).Build();
  const auto udp6 = TFrameBuilder().Ethernet(b, a).IPv6("2001:db8::1", "2001:db8::10", kProtoUdp).Udp(1, 53).Build();

  TFilterSettings rules[4];
  rules[0].Protocol = fpIPv4TCP;
  rules[0].Source.AddrType = akGroup;
  rules[0].Source.GroupId = 0;
  rules[0].Groups.Add("g", TIPAddrList{Addr("10.0.0.9"), Addr("10.0.0.1")});
  rules[0].Destination.AddrType = akLocalHost;
  rules[0].Destination.PortType = ptList;
  rules[0].Destination.Ports = {443, 80};
  rules[1].Protocol = fpIPv6TCPUDP;
  rules[1].Source.AddrType = akIPRange;
  rules[1].Source.Addr1 = Addr("2001:db8::");
  rules[1].Source.Addr2 = Addr("2001:db8::ff");
  rules[1].Destination.AddrType = akLocalHost;
  rules[1].Source.PortType = ptRange;
  rules[1].Source.Ports = {1, 2};
  rules[2].Protocol = fpAnyIPv4;
  rules[2].Source.AddrType = akMac;
  rules[2].Source.Mac = THWAddr::FromBytes(b.data());  // matches with the sides exchanged
  rules[3].Protocol = fpIPv4TCP;
  rules[3].VlanId = 7;
  rules[3].Source.AddrType = akSingleIP;
  rules[3].Source.Addr1 = Addr("10.0.0.1");
  rules[3].Destination.PortType = ptSingle;
  rules[3].Destination.Ports = {80};

  const long before = gAllocations;
  ASSERT_GT(before, 0);  // the counter sees the allocations of building the frames
  int matched = 0;
  for (const TFilterSettings& rule : rules)
    for (const auto* frame : {&tcp4, &udp6})
      matched += MatchesFilter(rule, TTrafficDirection::tdBoth, frame->data(), static_cast<uint32_t>(frame->size()), local);
  const TIPAddr x = Addr("10.0.0.5"), lo = Addr("10.0.0.1"), hi = Addr("10.0.0.9");
  matched += x.InRange(lo, hi) + (x == lo) + IsBroadcast(x) + (THWAddr() == THWAddr());
  EXPECT_EQ(gAllocations - before, 0);
  EXPECT_EQ(matched, 4 + 2);
}

}  // namespace
