// The Linux packet driver on a real veth adapter: host H owns the adapter h0
// that the driver intercepts, peer P sits on the other end.
#include <gtest/gtest.h>
#include <linux/bpf.h>
#include <linux/if_ether.h>
#include <linux/if_link.h>
#include <arpa/inet.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>

#include <chrono>
#include <cstring>
#include <future>
#include <linux/capability.h>
#include <functional>
#include <memory>

#include "platform/linux/AdapterList.h"
#include "platform/linux/HookOwners.h"
#include "platform/linux/InterceptionTag.h"
#include "platform/linux/LinkTable.h"
#include "platform/linux/LinuxDriver.h"
#include "platform/linux/TcAttachment.h"
#include "platform/linux/TcxAttachTypes.h"
#include "tests/platform/linux/ChildProcess.h"
#include "tests/platform/linux/FrameRelay.h"
#include "tests/platform/linux/NetnsLab.h"

namespace {

const std::string kHostAddress = "10.77.0.1";
const std::string kPeerAddress = "10.77.0.2";

TLinkInfo FindLink(const std::string& name) {
  for (const auto& link : ReadLinkTable())
    if (link.Name == name) return link;
  return {};
}

bool HasInterceptionDevices(const std::vector<TLinkInfo>& links) {
  for (const auto& link : links)
    if (link.Name.rfind("otin", 0) == 0 || link.Name.rfind("otout", 0) == 0) return true;
  return false;
}

class LinuxDriverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    OT_REQUIRE_NETNS();
    FLab = std::make_unique<TNetnsLab>();
    FLab->AddHostAndPeer(FHost, FPeer, kHostAddress, kPeerAddress);
    FInside = std::make_unique<TNetnsEnter>(FHost);
    FAdapter = ::if_nametoindex("h0");
    ASSERT_NE(FAdapter, 0u);
    std::string whyNot;
    FDriver = OpenLinuxFilterDriver(whyNot);
    ASSERT_TRUE(FDriver) << whyNot;
  }
  void TearDown() override {
    FDriver.reset();
    FInside.reset();
    FLab.reset();
  }

  std::string PingFromPeer(int count, const std::string& extra = "") {
    return ShellOutput(TNetnsLab::In(FPeer) + "ping -q -c " + std::to_string(count) + " -i 0.2 -W 2 " + extra +
                       " " + kHostAddress + " 2>&1");
  }
  TLinuxDriver& Linux() { return dynamic_cast<TLinuxDriver&>(*FDriver); }

  std::unique_ptr<TNetnsLab> FLab;
  std::string FHost, FPeer;
  std::unique_ptr<TNetnsEnter> FInside;
  uint32_t FAdapter = 0;
  std::unique_ptr<IPacketDriver> FDriver;
};

TEST_F(LinuxDriverTest, PingAndTcpCrossTheStolenPath) {
  TFrameRelay relay(*FDriver, FAdapter);
  std::string ping = PingFromPeer(5);
  EXPECT_EQ(PingReceived(ping), 5) << ping;
  // A TCP transfer: the stack's GSO super-frames reach user space segmented.
  ASSERT_EQ(Shell(TNetnsLab::In(FHost) + "iperf3 -s -1 -D -p 5201 >/dev/null 2>&1"), 0);
  Shell("sleep 0.3");
  EXPECT_EQ(Shell("timeout 30 " + TNetnsLab::In(FPeer) + "iperf3 -c " + kHostAddress +
                  " -p 5201 -n 20M >/dev/null 2>&1"),
            0);
  EXPECT_GT(relay.Incoming(), 1000u);
  EXPECT_GT(relay.Outgoing(), 100u);
  EXPECT_EQ(relay.Oversized(), 0u);
}

TEST_F(LinuxDriverTest, HeldFramesShowInTheRoundTripTime) {
  double plain = PingAverageMs(PingFromPeer(3));
  TFrameRelay relay(*FDriver, FAdapter, 50);
  std::string ping = PingFromPeer(5);
  double held = PingAverageMs(ping);
  ASSERT_GT(held, 0) << ping;
  // 50 ms on the way in and 50 ms on the way out.
  EXPECT_GE(held - plain, 95.0) << ping;
  EXPECT_LE(held - plain, 400.0) << ping;
}

TEST_F(LinuxDriverTest, ReleaseLeavesTheAdapterAsItWas) {
  {
    TFrameRelay relay(*FDriver, FAdapter);
    uint32_t filter = 0;
    ASSERT_TRUE(FDriver->GetHwPacketFilter(FAdapter, filter));
    EXPECT_EQ(filter & kHwFilterPromiscuous, 0u);
    ASSERT_TRUE(FDriver->SetHwPacketFilter(FAdapter, filter | kHwFilterPromiscuous));
    EXPECT_EQ(FindLink("h0").Promiscuity, 1u);
    EXPECT_TRUE(HasInterceptionDevices(ReadLinkTable()));
    if (Linux().AttachKind() == TAttachKind::Tcx) {
      EXPECT_EQ(TcxProgramCount(FAdapter, kBpfTcxIngress), 1u);
      EXPECT_EQ(TcxProgramCount(FAdapter, kBpfTcxEgress), 1u);
    }
    ASSERT_TRUE(FDriver->SetHwPacketFilter(FAdapter, filter));
    EXPECT_EQ(FindLink("h0").Promiscuity, 0u);
    ASSERT_TRUE(FDriver->SetHwPacketFilter(FAdapter, filter | kHwFilterPromiscuous));
  }
  // The relay ended without restoring the filter: the state goes with the
  // event registration, and the promiscuous membership with it.
  std::vector<TLinkInfo> links = ReadLinkTable();
  EXPECT_FALSE(HasInterceptionDevices(links));
  EXPECT_EQ(FindLink("h0").Promiscuity, 0u);
  EXPECT_EQ(TcxProgramCount(FAdapter, kBpfTcxIngress), 0u);
  EXPECT_EQ(TcxProgramCount(FAdapter, kBpfTcxEgress), 0u);
  EXPECT_NE(Shell("tc filter show dev h0 ingress | grep -q ot_"), 0);
  EXPECT_EQ(PingReceived(PingFromPeer(2)), 2);
}

TEST_F(LinuxDriverTest, JumboFramesPassUntouchedAndCounted) {
  FLab->Run(FHost, "ip link set h0 mtu 9000");
  FLab->Run(FPeer, "ip link set p0 mtu 9000");
  TFrameRelay relay(*FDriver, FAdapter);
  std::string ping = PingFromPeer(3, "-s 8000 -M do");
  EXPECT_EQ(PingReceived(ping), 3) << ping;
  // Each echo request arrives and each reply leaves as one 8042-byte frame.
  EXPECT_GE(relay.Oversized(), 6u);
  std::string small = PingFromPeer(2);
  EXPECT_EQ(PingReceived(small), 2) << small;
  EXPECT_GT(relay.Incoming(), 0u);
}

TEST_F(LinuxDriverTest, AStalledTransmitQueueRefusesFramesInsteadOfBlocking) {
  // A queue that sends 1 kB/s and holds 100 MB: the packet socket's send
  // buffer fills long before the queue does, and a waiting send would never
  // return.
  FLab->Run(FHost, "tc qdisc replace dev h0 root tbf rate 8kbit burst 1600 limit 100000000");
  TFrameBuffer buffer{};
  std::memset(buffer.Data, 0xFF, 6);  // broadcast, to nobody in particular
  buffer.Data[12] = 0x88;             // a local experimental EtherType
  buffer.Data[13] = 0xB5;
  buffer.Length = 1514;
  buffer.DeviceFlags = kPacketFlagOutgoing;
  constexpr int kFrames = 20000;
  auto sending = std::async(std::launch::async, [&] {
    TFrameRequest request{FAdapter, &buffer};
    int refused = 0;
    for (int i = 0; i < kFrames; ++i)
      if (!FDriver->SendPacketToAdapter(request)) ++refused;
    return refused;
  });
  const bool finished = sending.wait_for(std::chrono::seconds(60)) == std::future_status::ready;
  // Removing the queue frees what it holds, and with it a blocked sender.
  FLab->Run(FHost, "tc qdisc del dev h0 root");
  ASSERT_TRUE(finished) << "a send waited for the stalled queue";
  const int refused = sending.get();
  EXPECT_GT(refused, 0);
  EXPECT_LT(refused, kFrames) << "the queue took frames until the buffer was full";
  EXPECT_EQ(Linux().RefusedFrames(), static_cast<uint64_t>(refused));
}

TEST_F(LinuxDriverTest, OperationsRefuseWhatCannotWork) {
  TFrameBuffer buffer{};
  buffer.Length = 60;
  TFrameRequest request{FAdapter, &buffer};
  // The local stack can be reached only through an intercepted adapter.
  EXPECT_FALSE(FDriver->SendPacketToMstcp(request));
  EXPECT_FALSE(FDriver->ReadPacket(request));
  buffer.Length = kMaxFrameData + 1;
  EXPECT_FALSE(FDriver->SendPacketToAdapter(request));
  TAutoResetEvent event;
  EXPECT_FALSE(FDriver->SetPacketEvent(999999, &event));
  EXPECT_FALSE(FDriver->SetAdapterMode({999999, kModeIntercept}));
  EXPECT_FALSE(FDriver->SetAdapterMode({FAdapter, 4}));
  uint32_t filter;
  EXPECT_FALSE(FDriver->GetHwPacketFilter(999999, filter));
}

TEST_F(LinuxDriverTest, AdapterListShowsEthernetInterfacesButNotItsOwnDevices) {
  FLab->Run(FHost, "ip link set h0 alias 'Test uplink'");
  TFrameRelay relay(*FDriver, FAdapter);
  TTcpAdapterList list;
  ASSERT_TRUE(FDriver->GetTcpipBoundAdaptersInfo(list));
  TLinkInfo h0 = FindLink("h0");
  ASSERT_EQ(h0.HardwareAddress.size(), 6u);
  ASSERT_EQ(list.AdapterCount, 1u) << "only h0: no loopback, no interception TAPs";
  EXPECT_EQ(AdapterNameText(list.AdapterNameList[0]), "h0");
  EXPECT_EQ(list.AdapterHandle[0], FAdapter);
  EXPECT_EQ(list.AdapterMediumList[0], kMedium8023);
  EXPECT_EQ(list.MTU[0], 1500);
  EXPECT_TRUE(std::equal(h0.HardwareAddress.begin(), h0.HardwareAddress.end(), list.CurrentAddress[0].begin()));
  EXPECT_EQ(FDriver->ConvertWindows2000AdapterName(list.AdapterNameList[0]), "h0 (Test uplink)");
  EXPECT_EQ(FDriver->ConvertWindows2000AdapterName(MakeAdapterName("nosuchif0")), "");
}

// Counts the frames of one EtherType that a device of a namespace receives.
class TWireTap {
 public:
  TWireTap(const std::string& ns, const std::string& device, uint16_t etherType) {
    TNetnsEnter inside(ns);
    FSocket = TFileDescriptor(::socket(AF_PACKET, SOCK_RAW | SOCK_NONBLOCK | SOCK_CLOEXEC, htons(etherType)),
                              "packet socket");
    sockaddr_ll address{};
    address.sll_family = AF_PACKET;
    address.sll_protocol = htons(etherType);
    address.sll_ifindex = static_cast<int>(::if_nametoindex(device.c_str()));
    if (::bind(FSocket.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
      ThrowSystemError("binding to " + device);
  }
  // Frames that arrive within the given time.
  int CountFor(std::chrono::milliseconds span) {
    int frames = 0;
    auto end = std::chrono::steady_clock::now() + span;
    for (auto now = std::chrono::steady_clock::now(); now < end; now = std::chrono::steady_clock::now()) {
      pollfd wait{FSocket.Get(), POLLIN, 0};
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - now).count();
      if (::poll(&wait, 1, static_cast<int>(left) + 1) != 1) continue;
      char frame[2048];
      while (::recv(FSocket.Get(), frame, sizeof frame, 0) > 0) ++frames;
    }
    return frames;
  }

 private:
  TFileDescriptor FSocket;
};

// Another instance's attempt to intercept h0; reports "intercepted" or
// "refused: <why>", and ends, which releases whatever it got.
std::function<void(const TChildProcess::TReport&)> TryToIntercept(TAttachKind kind) {
  return [kind](const TChildProcess::TReport& report) {
    TLinuxDriver driver(kind);
    TAutoResetEvent event;
    uint32_t adapter = ::if_nametoindex("h0");
    driver.SetPacketEvent(adapter, &event);
    bool intercepted = driver.SetAdapterMode({adapter, kModeIntercept});
    report(intercepted ? "intercepted" : "refused: " + driver.LastError());
  };
}

int InterceptionDeviceCount() {
  int count = 0;
  for (const TLinkInfo& link : ReadLinkTable()) count += IsInterceptionDevice(link) ? 1 : 0;
  return count;
}

TEST_F(LinuxDriverTest, SecondInterceptionOfAnAdapterIsRefusedNamingIt) {
  const bool tcx = Linux().AttachKind() == TAttachKind::Tcx;
  struct TCase {
    const char* Name;
    TAttachKind HolderKind;
    bool HolderIsUser;
    TAttachKind SecondKind;
    bool SecondIsUser;
  } const cases[] = {
      {"tcx, then tcx", TAttachKind::Tcx, false, TAttachKind::Tcx, false},
      {"cls_bpf, then cls_bpf", TAttachKind::ClsBpf, false, TAttachKind::ClsBpf, false},
      {"cls_bpf, then tcx", TAttachKind::ClsBpf, false, TAttachKind::Tcx, false},
      {"tcx, then cls_bpf", TAttachKind::Tcx, false, TAttachKind::ClsBpf, false},
      {"a user's run, then root's", TAttachKind::Tcx, true, TAttachKind::Tcx, false},
      {"root's run, then a user's", TAttachKind::Tcx, false, TAttachKind::Tcx, true},
      {"a user's cls_bpf run, then root's", TAttachKind::ClsBpf, true, TAttachKind::ClsBpf, false},
      {"root's cls_bpf run, then a user's", TAttachKind::ClsBpf, false, TAttachKind::ClsBpf, true},
  };
  for (const TCase& test : cases) {
    SCOPED_TRACE(test.Name);
    if (!tcx && (test.HolderKind == TAttachKind::Tcx || test.SecondKind == TAttachKind::Tcx)) continue;
    TChildOptions holderOptions, secondOptions;
    holderOptions.AsUser = test.HolderIsUser;
    secondOptions.AsUser = test.SecondIsUser;
    TChildProcess holder(FHost, holderOptions, HoldAdapter(test.HolderKind));
    ASSERT_EQ(holder.NextReport(), "ready");
    const std::vector<uint32_t> held = HookProgramIds(FAdapter);
    ASSERT_EQ(held.size(), 2u);
    {
      TChildProcess second(FHost, secondOptions, TryToIntercept(test.SecondKind));
      std::string answer = second.NextReport();
      EXPECT_EQ(answer.rfind("refused: ", 0), 0u) << answer;
      EXPECT_NE(answer.find("adapter h0 "), std::string::npos) << answer;
      EXPECT_NE(answer.find("another running instance"), std::string::npos) << answer;
    }
    // The refused run left nothing behind, and the first one still relays
    // every frame exactly once.
    EXPECT_EQ(HookProgramIds(FAdapter), held);
    EXPECT_EQ(InterceptionDeviceCount(), 2);
    std::string ping = PingFromPeer(3);
    EXPECT_EQ(PingReceived(ping), 3) << ping;
    EXPECT_EQ(ping.find("DUP"), std::string::npos) << ping;
    holder.KillNine();
    RemoveStaleClsBpfFilters(FAdapter);
    ASSERT_EQ(HookProgramIds(FAdapter).size(), 0u);
  }
}

TEST_F(LinuxDriverTest, StartUpCleanUpLeavesARunningInstancesFiltersAlone) {
  TChildProcess holder(FHost, {}, HoldAdapter(TAttachKind::ClsBpf));
  ASSERT_EQ(holder.NextReport(), "ready");
  const uint32_t ingress = ClsBpfProgramId(FAdapter, TTcAttachPoint::Ingress);
  const uint32_t egress = ClsBpfProgramId(FAdapter, TTcAttachPoint::Egress);
  ASSERT_NE(ingress, 0u);
  ASSERT_NE(egress, 0u);
  // A launch that only lists the adapters opens the driver, like any other.
  std::string whyNot;
  ASSERT_TRUE(OpenLinuxFilterDriver(whyNot)) << whyNot;
  RemoveStaleClsBpfFilters(FAdapter);
  EXPECT_EQ(ClsBpfProgramId(FAdapter, TTcAttachPoint::Ingress), ingress);
  EXPECT_EQ(ClsBpfProgramId(FAdapter, TTcAttachPoint::Egress), egress);
  TTcpAdapterList list;
  EXPECT_TRUE(FDriver->GetTcpipBoundAdaptersInfo(list));
  EXPECT_EQ(ClsBpfProgramId(FAdapter, TTcAttachPoint::Ingress), ingress);
  // Once that instance has died, the same clean-up takes its filters away.
  holder.KillNine();
  ASSERT_TRUE(OpenLinuxFilterDriver(whyNot)) << whyNot;
  EXPECT_EQ(ClsBpfProgramId(FAdapter, TTcAttachPoint::Ingress), 0u);
  EXPECT_EQ(ClsBpfProgramId(FAdapter, TTcAttachPoint::Egress), 0u);
  std::string ping = PingFromPeer(2);
  EXPECT_EQ(PingReceived(ping), 2) << ping;
}

TEST_F(LinuxDriverTest, AnotherInstancesDevicesAreNoAdapters) {
  TChildProcess holder(FHost, {}, HoldAdapter(Linux().AttachKind()));
  ASSERT_EQ(holder.NextReport(), "ready");
  // An adapter that appears after the other instance's TAPs: its position
  // must not move.
  FLab->AddVeth(FHost, "h1", FPeer, "p1");
  TTcpAdapterList list;
  ASSERT_TRUE(FDriver->GetTcpipBoundAdaptersInfo(list));
  std::vector<std::string> names;
  for (uint32_t i = 0; i < list.AdapterCount; ++i) names.push_back(AdapterNameText(list.AdapterNameList[i]));
  EXPECT_EQ(names, (std::vector<std::string>{"h0", "h1"}));
}

TEST(InterceptionDevice, IsATunDeviceWithOurNameOrTag) {
  TInterceptionTag tag{7, 4242, {11, 12, 13}};
  const std::string alias = FormatInterceptionTag(tag);
  struct TCase {
    const char* Name;
    const char* Kind;
    std::string Alias;
    bool Expected;
  } const cases[] = {
      {"otin0", "tun", "", true},
      {"otout12", "tun", "", true},
      {"vm-tap", "tun", alias, true},
      {"otin0", "veth", "", false},
      {"otout", "tun", "", false},
      {"otinx", "tun", "", false},
      {"otin0a", "tun", "", false},
      {"tap0", "tun", "", false},
      {"tap0", "tun", alias + " more", false},
      {"tap0", "tun", "ovelda-tarnwick adapter=7 process=1 programs=1,x", false},
  };
  for (const TCase& test : cases) {
    TLinkInfo link;
    link.Name = test.Name;
    link.Kind = test.Kind;
    link.Alias = test.Alias;
    EXPECT_EQ(IsInterceptionDevice(link), test.Expected) << test.Name << " " << test.Kind << " \"" << test.Alias << "\"";
  }
  std::optional<TInterceptionTag> parsed = ParseInterceptionTag(alias);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->Adapter, 7u);
  EXPECT_EQ(parsed->Process, 4242);
  EXPECT_EQ(parsed->Programs, tag.Programs);
}

TEST_F(LinuxDriverTest, InterceptionDevicesSendNothingOfTheirOwnWhereProcSysIsReadOnly) {
  // The adapters themselves stay quiet, so every IPv6 frame on the wire
  // would be one of the TAPs' own.
  FLab->Run(FHost, "sysctl -qw net.ipv6.conf.h0.disable_ipv6=1");
  FLab->Run(FPeer, "sysctl -qw net.ipv6.conf.p0.disable_ipv6=1");
  TWireTap wire(FPeer, "p0", ETH_P_IPV6);
  TChildOptions container;
  container.ReadOnlyProcSys = true;
  TChildProcess holder(FHost, container, HoldAdapter(Linux().AttachKind()));
  ASSERT_EQ(holder.NextReport(), "ready");
  int taps = 0;
  for (const TLinkInfo& link : ReadLinkTable()) {
    if (link.Name.rfind("otin", 0) != 0 && link.Name.rfind("otout", 0) != 0) continue;
    ++taps;
    EXPECT_EQ(link.IPv6AddressGeneration, IN6_ADDR_GEN_MODE_NONE) << link.Name;
    EXPECT_EQ(ShellOutput("ip -6 addr show dev " + link.Name), "") << link.Name;
  }
  EXPECT_EQ(taps, 2);
  // Solicitations and reports follow a device's start within about a second.
  EXPECT_EQ(wire.CountFor(std::chrono::milliseconds(3000)), 0);
  EXPECT_EQ(PingReceived(PingFromPeer(2)), 2) << "the other instance relays";
}

TEST_F(LinuxDriverTest, KillNineLeavesTheAdapterWorkingAtOnce) {
  if (Linux().AttachKind() != TAttachKind::Tcx) GTEST_SKIP() << "the kernel has no tcx links";
  TChildProcess child(FHost, {}, HoldAdapter(TAttachKind::Tcx));
  ASSERT_EQ(child.NextReport(), "ready");
  EXPECT_EQ(PingReceived(PingFromPeer(2)), 2) << "the child relays";
  EXPECT_EQ(TcxProgramCount(FAdapter, kBpfTcxIngress), 1u);
  child.KillNine();
  EXPECT_EQ(TcxProgramCount(FAdapter, kBpfTcxIngress), 0u);
  EXPECT_EQ(TcxProgramCount(FAdapter, kBpfTcxEgress), 0u);
  std::string ping = ShellOutput(TNetnsLab::In(FPeer) + "ping -q -c 1 -W 1 " + kHostAddress);
  EXPECT_EQ(PingReceived(ping), 1) << ping;
  EXPECT_FALSE(HasInterceptionDevices(ReadLinkTable()));
}

TEST_F(LinuxDriverTest, StaleClsBpfFiltersOfAKilledProcessAreRemovedAtTheNextStart) {
  TChildProcess child(FHost, {}, HoldAdapter(TAttachKind::ClsBpf));
  ASSERT_EQ(child.NextReport(), "ready");
  EXPECT_EQ(PingReceived(PingFromPeer(2)), 2) << "the child relays";
  child.KillNine();
  // The filters outlive their process and steal into TAPs that are gone.
  EXPECT_EQ(PingReceived(ShellOutput(TNetnsLab::In(FPeer) + "ping -q -c 1 -W 1 " + kHostAddress)), 0);
  RemoveStaleClsBpfFilters(FAdapter);
  std::string ping = ShellOutput(TNetnsLab::In(FPeer) + "ping -q -c 2 -i 0.2 -W 1 " + kHostAddress);
  EXPECT_EQ(PingReceived(ping), 2) << ping;
}

TEST_F(LinuxDriverTest, ClsBpfFallbackRelaysAndDetaches) {
  TLinuxDriver driver(TAttachKind::ClsBpf);
  {
    TFrameRelay relay(driver, FAdapter, 20);
    double rtt = PingAverageMs(PingFromPeer(3));
    EXPECT_GE(rtt, 38.0);
    EXPECT_LE(rtt, 300.0);
  }
  EXPECT_NE(Shell("tc filter show dev h0 ingress | grep -q ot_"), 0);
  EXPECT_NE(Shell("tc filter show dev h0 egress | grep -q ot_"), 0);
  EXPECT_EQ(PingReceived(PingFromPeer(2)), 2);
}

TEST(LinuxDriverOpen, SaysWhichCapabilityIsMissing) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to drop capabilities in a child";
  int pipeFds[2];
  ASSERT_EQ(::pipe(pipeFds), 0);
  pid_t child = ::fork();
  if (child == 0) {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2] = {};
    ::syscall(SYS_capget, &header, data);
    data[0].effective &= ~(1U << CAP_NET_RAW);
    data[1].effective &= ~(1U << (39 - 32));  // CAP_BPF
    ::syscall(SYS_capset, &header, data);
    std::string whyNot;
    auto driver = OpenLinuxFilterDriver(whyNot);
    std::string answer = (driver ? "opened" : "refused") + std::string(":") + whyNot;
    [[maybe_unused]] ssize_t written = ::write(pipeFds[1], answer.data(), answer.size());
    ::_exit(0);
  }
  ::close(pipeFds[1]);
  char text[512] = {};
  ssize_t length = ::read(pipeFds[0], text, sizeof text - 1);
  ::close(pipeFds[0]);
  ::waitpid(child, nullptr, 0);
  ASSERT_GT(length, 0);
  std::string answer(text);
  EXPECT_EQ(answer.rfind("refused:", 0), 0u) << answer;
  EXPECT_NE(answer.find("CAP_NET_RAW"), std::string::npos) << answer;
  EXPECT_NE(answer.find("CAP_BPF"), std::string::npos) << answer;
  EXPECT_EQ(answer.find("missing: CAP_NET_RAW, CAP_BPF"), answer.size() - 29) << "CAP_NET_ADMIN is held: " << answer;
  EXPECT_EQ(answer.find('\n'), std::string::npos) << "one line";
}

}  // namespace
