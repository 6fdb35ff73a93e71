// The steal programs' decision against the engine's, frame by frame, with
// BPF_PROG_TEST_RUN: a table of crafted frames under many drawn rules, and
// the fuzzers' corpus. Needs the privilege to load programs (root).
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "tests/filter/FrameBuilder.h"
#include "tests/platform/linux/KernelMatcher.h"

#ifdef OT_HAVE_FUZZED_DATA_PROVIDER
#include "fuzz/filter/FilterCaseDraw.h"
#endif

namespace {

using namespace frame_builder;

const TMac kMacA = {0x02, 0, 0, 0, 0, 0x0A};
const TMac kMacB = {0x02, 0, 0, 0, 0, 0x0B};
const TMac kZeroMac = {};

struct TCraftedFrame {
  const char* Name;
  std::vector<uint8_t> Bytes;
  TSegmentation Segmentation = {};
};

std::vector<uint8_t> Cut(std::vector<uint8_t> frame, size_t length) {
  frame.resize(length);
  return frame;
}

// The IPv4 header length field replaced, the rest of the frame as it was.
std::vector<uint8_t> WithHeaderLength(std::vector<uint8_t> frame, uint8_t words) {
  frame[14] = static_cast<uint8_t>(0x40 | words);
  return frame;
}

std::vector<TCraftedFrame> CraftedFrames() {
  const auto udp = TFrameBuilder().Ethernet(kMacB, kMacA).IPv4("10.0.0.1", "10.0.0.2", kProtoUdp).Udp(5000, 53).Payload(20).Build();
  const auto tcp = TFrameBuilder().Ethernet(kMacA, kMacB).IPv4("10.0.0.2", "10.0.0.1", kProtoTcp).Tcp(443, 5000).Build();
  const auto tcp6 = TFrameBuilder().Ethernet(kMacB, kMacA).IPv6("fd00::1", "fd00::2", kProtoTcp).Tcp(5001, 80).Build();
  const auto big = TFrameBuilder().Ethernet(kMacB, kMacA).IPv4("10.0.0.1", "10.0.0.2", kProtoTcp).Tcp(80, 5000).Payload(2960).Build();
  return {
      {"Ethernet header only", std::vector<uint8_t>(14, 0)},
      {"IPv4 cut before its protocol", Cut(udp, 22)},
      {"IPv4 cut inside the source address", Cut(udp, 28)},
      {"IPv4 cut before the ports", Cut(udp, 34)},
      {"IPv4 cut after the source port", Cut(udp, 36)},
      {"IPv4 UDP", udp},
      {"IPv4 TCP", tcp},
      {"IPv4 with header length 0", WithHeaderLength(udp, 0)},
      {"IPv4 with header length 1", WithHeaderLength(tcp, 1)},
      {"IPv4 with header length 4", WithHeaderLength(udp, 4)},
      {"IPv4 with header length 15, short", WithHeaderLength(udp, 15)},
      {"IPv4 with options", TFrameBuilder().Ethernet(kMacB, kMacA).IPv4("10.0.0.1", "192.168.1.7", kProtoTcp, 3).Tcp(22, 5000).Build()},
      {"IPv4 to a broadcast address", TFrameBuilder().Ethernet(kBroadcastMac, kMacA).IPv4("10.0.0.1", "10.0.0.255", kProtoUdp).Udp(68, 67).Build()},
      {"IPv4 ICMP", TFrameBuilder().Ethernet(kMacB, kMacA).IPv4("10.0.0.1", "10.0.0.2", kProtoIcmp).Icmp(8).Build()},
      {"IPv4 GRE", TFrameBuilder().Ethernet(kMacB, kMacA).IPv4("10.0.0.1", "10.0.0.2", kProtoGre).Payload(8).Build()},
      {"IPv4 ESP", TFrameBuilder().Ethernet(kMacB, kMacA).IPv4("10.0.0.1", "10.0.0.2", kProtoEsp).Payload(8).Build()},
      {"tagged 100 UDP", TFrameBuilder().Ethernet(kMacB, kMacA).Vlan(100).IPv4("10.0.0.1", "10.0.0.2", kProtoUdp).Udp(5000, 5000).Build()},
      {"tagged 4095 TCP", TFrameBuilder().Ethernet(kMacB, kMacA).Vlan(4095, 5).IPv4("10.0.0.2", "10.0.0.1", kProtoTcp).Tcp(5000, 80).Build()},
      {"tag only", Cut(TFrameBuilder().Ethernet(kMacB, kMacA).Vlan(100).EtherType(kEtherTypeIPv4).Build(), 16)},
      {"tag cut inside", Cut(TFrameBuilder().Ethernet(kMacB, kMacA).Vlan(100).EtherType(kEtherTypeIPv4).Build(), 15)},
      {"two tags", TFrameBuilder().Ethernet(kMacB, kMacA).Vlan(100).Vlan(200).IPv4("10.0.0.1", "10.0.0.2", kProtoUdp).Udp(5000, 53).Build()},
      {"IPv6 TCP", tcp6},
      {"IPv6 cut inside the destination", Cut(tcp6, 50)},
      {"IPv6 cut before the ports", Cut(tcp6, 54)},
      {"IPv6 UDP", TFrameBuilder().Ethernet(kMacA, kMacB).IPv6("fd00::2", "fd00::1", kProtoUdp).Udp(53, 5000).Build()},
      {"IPv6 ICMPv6", TFrameBuilder().Ethernet(kMacB, kMacA).IPv6("fe80::1", "fd00::2", kProtoIcmpV6).Icmp(128, 0, kProtoIcmpV6).Build()},
      {"IPv6 ICMP over next header 1", TFrameBuilder().Ethernet(kMacB, kMacA).IPv6("fd00::1", "fd00::2", kProtoIcmp).Payload(8).Build()},
      {"IPv6 hop-by-hop before TCP", TFrameBuilder().Ethernet(kMacB, kMacA).IPv6("fd00::1", "fd00::2", kProtoHopByHop).IPv6Extension(kProtoTcp).Tcp(5000, 80).Build()},
      {"ARP", TFrameBuilder().Ethernet(kBroadcastMac, kMacA).Arp(1, kMacA, "10.0.0.1", kZeroMac, "10.0.0.2").Build()},
      {"PPPoE discovery", TFrameBuilder().Ethernet(kBroadcastMac, kMacA).PPPoE(kEtherTypePPPoEDiscovery).Build()},
      {"PPPoE session", TFrameBuilder().Ethernet(kMacB, kMacA).PPPoE(kEtherTypePPPoESession).Payload(20).Build()},
      {"unknown EtherType", TFrameBuilder().Ethernet(kMacB, kMacA).EtherType(0x88B5).Payload(30).Build()},
      {"zero MAC addresses", TFrameBuilder().Ethernet(kZeroMac, kZeroMac).IPv4("192.168.1.7", "10.0.0.1", kProtoUdp).Udp(5000, 5001).Build()},
      {"the longest frame the engine takes", TFrameBuilder().Ethernet(kMacB, kMacA).IPv4("10.0.0.1", "10.0.0.2", kProtoUdp).Udp(53, 5000).Payload(1518 - 42).Build()},
      {"one byte longer: a jumbo frame", TFrameBuilder().Ethernet(kMacB, kMacA).IPv4("10.0.0.1", "10.0.0.2", kProtoUdp).Udp(53, 5000).Payload(1519 - 42).Build()},
      {"TCP super-frame of three segments", big, {1000, 3}},
      {"TCP super-frame whose segments are jumbo frames", big, {1480, 2}},
      {"UDP super-frame", TFrameBuilder().Ethernet(kMacB, kMacA).IPv4("10.0.0.1", "10.0.0.2", kProtoUdp).Udp(53, 5000).Payload(2000).Build(), {1000, 2}},
  };
}

// Rules drawn from the addresses, ports and MAC addresses the crafted frames
// carry, so that they match some frames and miss others, with every kind
// (also beyond the tables) and now and then a malformed port list.
class TRuleDraw {
 public:
  explicit TRuleDraw(uint32_t seed) : FRandom(seed) {}

  TFrameSelection Selection() {
    TFrameSelection s;
    s.EngineSeesAll = false;
    s.Direction = static_cast<TTrafficDirection>(Pick(3));
    TFilterSettings& f = s.Filter;
    f.Enabled = Pick(5) != 0;
    f.Protocol = static_cast<uint8_t>(Pick(19));
    static const uint16_t kVlans[] = {0, 0, 0, 100, 200, 4095, 5000};
    f.VlanId = kVlans[Pick(7)];
    for (int g = Pick(3); g > 0; --g) {
      TIPAddrList members;
      for (int m = Pick(4); m > 0; --m) members.Add(Address());
      f.Groups.Add("group", members);
    }
    Endpoint(f.Source);
    Endpoint(f.Destination);
    return s;
  }

  TIPAddrList Local() {
    TIPAddrList local;
    for (int m = Pick(4); m > 0; --m) local.Add(Address());
    return local;
  }

  int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(FRandom); }

 private:
  TIPAddr Address() {
    static const char* const kAddresses[] = {"10.0.0.1", "10.0.0.2", "10.0.0.255", "192.168.1.7",
                                             "fd00::1",  "fd00::2",  "fe80::1"};
    const std::string text = kAddresses[Pick(7)];
    TIPAddr a;
    if (text.find(':') == std::string::npos) {
      uint32_t v4 = 0;
      StrToIPv4(text, v4);
      a = TIPAddr::Create(v4);
    } else {
      TIn6_addr v6;
      StrToIPv6(text, v6);
      a = TIPAddr::Create(v6);
    }
    return a;
  }

  void Endpoint(TFilterEndpoint& e) {
    e.AddrType = static_cast<uint8_t>(Pick(kFilterAddrTypeCount + 1));
    e.Addr1 = Address();
    e.Addr2 = Address();
    if (Pick(2) == 0 && e.Addr1.Ver == e.Addr2.Ver && std::memcmp(e.Addr1.Bytes(), e.Addr2.Bytes(), 16) > 0)
      std::swap(e.Addr1, e.Addr2);
    static const TMac* const kMacs[] = {&kMacA, &kMacB, &kBroadcastMac, &kZeroMac};
    std::memcpy(e.Mac.FValue, kMacs[Pick(4)]->data(), 6);
    e.GroupId = Pick(5) - 1;
    e.PortType = static_cast<uint8_t>(Pick(kFilterPortTypeCount + 1));
    static const uint16_t kPorts[] = {0, 22, 53, 80, 443, 5000, 5001, 65535};
    size_t count = e.PortType == ptSingle ? 1 : e.PortType == ptRange ? 2 : static_cast<size_t>(Pick(4));
    if (Pick(20) == 0) count = static_cast<size_t>(Pick(4));  // malformed now and then
    e.Ports.clear();
    for (size_t i = 0; i < count; ++i) e.Ports.push_back(kPorts[Pick(8)]);
    if (e.PortType == ptRange && e.Ports.size() == 2 && Pick(3) != 0 && e.Ports[0] > e.Ports[1])
      std::swap(e.Ports[0], e.Ports[1]);
  }

  std::mt19937 FRandom;
};

// One matcher for the suite: the verifier takes its time over the programs.
class KernelMatch : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (::geteuid() == 0) Shared = new TKernelMatcher();
  }
  static void TearDownTestSuite() {
    delete Shared;
    Shared = nullptr;
  }
  void SetUp() override {
    if (!Shared) GTEST_SKIP() << "loading programs needs root";
    Matcher = Shared;
    // Every test starts from the state of a fresh interception.
    Matcher->Select(*StealEverySelection("a new test"));
  }
  static TKernelMatcher* Shared;
  TKernelMatcher* Matcher = nullptr;
};

TKernelMatcher* KernelMatch::Shared = nullptr;

// The crafted frames the kernel runs; those it refuses are named once.
std::vector<TCraftedFrame> RunnableFrames(TKernelMatcher& matcher) {
  std::vector<TCraftedFrame> runnable;
  for (TCraftedFrame& frame : CraftedFrames()) {
    if (matcher.Passes(true, frame.Bytes, frame.Segmentation)) {
      runnable.push_back(std::move(frame));
    } else {
      std::printf("the kernel does not run the frame \"%s\"\n", frame.Name);
    }
  }
  return runnable;
}

TEST_F(KernelMatch, CraftedFramesUnderDrawnRulesAgreeWithTheEngine) {
  const std::vector<TCraftedFrame> frames = RunnableFrames(*Matcher);
  EXPECT_GT(frames.size(), 30u);
  TRuleDraw draw(20261211);
  int decided = 0, passedInKernel = 0;
  for (int round = 0; round < 400; ++round) {
    const TFrameSelection selection = draw.Selection();
    const TIPAddrList local = draw.Local();
    const bool localKnown = draw.Pick(8) != 0;
    if (TranslateSelection(selection, localKnown ? &local : nullptr)->Fallback.empty()) ++decided;
    const TKernelPassedCounts before = Matcher->Passed();
    for (const TCraftedFrame& frame : frames) {
      for (bool incoming : {true, false}) {
        const std::string wrong =
            KernelDisagreement(*Matcher, selection, localKnown ? &local : nullptr, incoming, frame.Bytes, frame.Segmentation);
        EXPECT_EQ(wrong, "") << frame.Name << ", round " << round;
        if (!wrong.empty()) return;
      }
    }
    const TKernelPassedCounts after = Matcher->Passed();
    passedInKernel += after.FramesIn + after.FramesOut > before.FramesIn + before.FramesOut;
  }
  // The draw must leave most rules to the kernel, or it tests little.
  EXPECT_GT(decided, 300);
  EXPECT_GT(passedInKernel, 100);
}

TEST_F(KernelMatch, WhatPassesIsCountedPerDirectionAsTheEngineWouldReadIt) {
  TFrameSelection selection;
  selection.EngineSeesAll = false;
  selection.Direction = TTrafficDirection::tdIncoming;
  const TIPAddrList none;
  const TKernelPassedCounts before = Matcher->Passed();
  Matcher->Select(*TranslateSelection(selection, &none));
  const std::vector<TCraftedFrame> frames = CraftedFrames();
  const TCraftedFrame& udp = frames[5];
  const TCraftedFrame& superFrame = frames[35];
  ASSERT_EQ(std::string(superFrame.Name), "TCP super-frame of three segments");
  // Outgoing frames are not emulated: they pass, counted.
  EXPECT_EQ(Matcher->Passes(false, udp.Bytes), true);
  EXPECT_EQ(Matcher->Passes(false, superFrame.Bytes, superFrame.Segmentation), true);
  // Incoming ones are all stolen, and not counted.
  EXPECT_EQ(Matcher->Passes(true, udp.Bytes), false);
  const TKernelPassedCounts passed = Matcher->Passed();
  EXPECT_EQ(passed.FramesIn, before.FramesIn);
  EXPECT_EQ(passed.BytesIn, before.BytesIn);
  EXPECT_EQ(passed.FramesOut - before.FramesOut, 1u + 3u);
  // Three segments, each with the 54 bytes of headers.
  EXPECT_EQ(passed.BytesOut - before.BytesOut, udp.Bytes.size() + superFrame.Bytes.size() + 2 * 54);
}

TEST_F(KernelMatch, UntilTheEngineSaysWhatItSelectsEveryFrameIsStolen) {
  for (const TCraftedFrame& frame : RunnableFrames(*Matcher))
    for (bool incoming : {true, false})
      EXPECT_EQ(Matcher->Passes(incoming, frame.Bytes, frame.Segmentation), false) << frame.Name;
}

// Every input of the filter fuzzers' corpora, read as those fuzzers read it.
TEST_F(KernelMatch, FuzzerCorpusAgreesWithTheEngine) {
#ifndef OT_HAVE_FUZZED_DATA_PROVIDER
  GTEST_SKIP() << "FuzzedDataProvider.h was not found at build time";
#else
  namespace fs = std::filesystem;
  const fs::path source(OT_SOURCE_DIR);
  int inputs = 0;
  for (const fs::path& dir : {source / "fuzz/seeds/fuzz_kernel_match", source / "build-fuzz/corpus/fuzz_kernel_match",
                              source / "build-fuzz/corpus/fuzz_matches_filter"}) {
    if (!fs::is_directory(dir)) continue;
    for (const auto& entry : fs::directory_iterator(dir)) {
      std::ifstream file(entry.path(), std::ios::binary);
      const std::vector<uint8_t> input((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
      FuzzedDataProvider in(input.data(), input.size());
      const TFilterCase c = DrawFilterCase(in);
      if (c.Frame.size() < 14) continue;  // the kernel runs no shorter frame
      ++inputs;
      EXPECT_EQ(KernelDisagreementEitherWay(*Matcher, c.Rule, c.Direction, c.Local, c.Frame), "") << entry.path();
    }
  }
  EXPECT_GT(inputs, 0) << "no corpus found";
#endif
}

}  // namespace
