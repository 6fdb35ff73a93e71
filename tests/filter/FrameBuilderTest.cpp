// The frame builder is shared by other tests: check its layout and checksums.
#include "tests/filter/FrameBuilder.h"

#include <gtest/gtest.h>

namespace {

using namespace frame_builder;

uint16_t U16(const std::vector<uint8_t>& f, size_t o) { return static_cast<uint16_t>(f[o] << 8 | f[o + 1]); }

// The ones' complement sum over a correctly checksummed region is FFFF.
uint16_t Fold(const std::vector<uint8_t>& f, size_t offset, size_t size, uint32_t sum = 0) {
  for (size_t i = 0; i < size; i += 2) sum += i + 1 < size ? U16(f, offset + i) : f[offset + i] << 8;
  while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
  return static_cast<uint16_t>(sum);
}

TEST(FrameBuilder, TaggedIPv4Udp) {
  const TMac dst = {1, 2, 3, 4, 5, 6}, src = {7, 8, 9, 10, 11, 12};
  auto f = TFrameBuilder().Ethernet(dst, src).Vlan(100, 3).IPv4("10.0.0.1", "10.0.0.2", kProtoUdp).Udp(1234, 53).Payload(5).Build();
  ASSERT_EQ(f.size(), 18u + 20 + 8 + 5);
  EXPECT_EQ(f[0], 1);
  EXPECT_EQ(f[6], 7);
  EXPECT_EQ(U16(f, 12), kEtherTypeVlan);
  EXPECT_EQ(U16(f, 14), 3 << 13 | 100);
  EXPECT_EQ(U16(f, 16), kEtherTypeIPv4);
  EXPECT_EQ(f[18], 0x45);
  EXPECT_EQ(U16(f, 20), 20 + 8 + 5);  // total length
  EXPECT_EQ(f[27], kProtoUdp);
  EXPECT_EQ(f[30], 10);
  EXPECT_EQ(f[33], 1);
  EXPECT_EQ(f[37], 2);
  EXPECT_EQ(Fold(f, 18, 20), 0xFFFF);  // header checksum
  EXPECT_EQ(U16(f, 38), 1234);
  EXPECT_EQ(U16(f, 40), 53);
  EXPECT_EQ(U16(f, 42), 8 + 5);  // UDP length
  uint32_t pseudo = Fold(f, 30, 8) + kProtoUdp + 13;
  EXPECT_EQ(Fold(f, 38, 13, pseudo), 0xFFFF);
}

TEST(FrameBuilder, IPv6TcpBehindAnExtensionHeader) {
  auto f = TFrameBuilder().IPv6("2001:db8::1", "2001:db8::2", kProtoHopByHop).IPv6Extension(kProtoTcp).Tcp(1, 80).Build();
  ASSERT_EQ(f.size(), 14u + 40 + 8 + 20);
  EXPECT_EQ(U16(f, 12), kEtherTypeIPv6);
  EXPECT_EQ(f[14] >> 4, 6);
  EXPECT_EQ(U16(f, 18), 8 + 20);  // payload length includes the extension
  EXPECT_EQ(f[20], kProtoHopByHop);
  EXPECT_EQ(f[22], 0x20);
  EXPECT_EQ(f[37], 1);
  EXPECT_EQ(f[54], kProtoTcp);
  EXPECT_EQ(U16(f, 62), 1);
  EXPECT_EQ(U16(f, 64), 80);
  uint32_t pseudo = Fold(f, 22, 32) + kProtoTcp + 20;
  EXPECT_EQ(Fold(f, 62, 20, pseudo), 0xFFFF);
}

TEST(FrameBuilder, ArpPPPoEAndPadding) {
  const TMac a = {2, 0, 0, 0, 0, 1};
  auto arp = TFrameBuilder().Ethernet(kBroadcastMac, a).Arp(1, a, "10.0.0.1", {}, "10.0.0.2").PadToMinimum().Build();
  ASSERT_EQ(arp.size(), 60u);
  EXPECT_EQ(U16(arp, 12), kEtherTypeArp);
  EXPECT_EQ(U16(arp, 20), 1);  // request
  EXPECT_EQ(arp[31], 1);      // sender IP last octet
  auto pppoe = TFrameBuilder().PPPoE(kEtherTypePPPoESession, 7).Build();
  EXPECT_EQ(U16(pppoe, 12), kEtherTypePPPoESession);
  EXPECT_EQ(U16(pppoe, 16), 7);
  EXPECT_EQ(U16(pppoe, 20), 0x0021);
  EXPECT_THROW(TFrameBuilder().IPv4("x", "10.0.0.1", 6), std::invalid_argument);
}

}  // namespace
