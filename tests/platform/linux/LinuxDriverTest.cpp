// The Linux packet driver on a real veth adapter: host H owns the adapter h0
// that the driver intercepts, peer P sits on the other end.
#include <gtest/gtest.h>
#include <linux/bpf.h>
#include <net/if.h>
#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>

#include <chrono>
#include <cstring>
#include <future>
#include <linux/capability.h>
#include <memory>

#include "platform/linux/AdapterList.h"
#include "platform/linux/LinkTable.h"
#include "platform/linux/LinuxDriver.h"
#include "platform/linux/TcAttachment.h"
#include "platform/linux/TcxAttachTypes.h"
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
    FHost = FLab->AddNamespace("h");
    FPeer = FLab->AddNamespace("p");
    FLab->AddVeth(FHost, "h0", FPeer, "p0");
    FLab->Run(FHost, "ip addr add " + kHostAddress + "/24 dev h0");
    FLab->Run(FPeer, "ip addr add " + kPeerAddress + "/24 dev p0");
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

// A child process intercepts h0 and relays frames until it is killed.
pid_t StartInterceptingChild(const std::string& hostNs, TAttachKind kind, int& readyFd) {
  int pipeFds[2];
  if (::pipe(pipeFds) != 0) return -1;
  pid_t child = ::fork();
  if (child == 0) {
    ::close(pipeFds[0]);
    ::alarm(60);  // never outlives the test, whatever happens to the parent
    try {
      TNetnsEnter inside(hostNs);
      TLinuxDriver driver(kind);
      TFrameRelay relay(driver, ::if_nametoindex("h0"));
      char ready = 'r';
      if (::write(pipeFds[1], &ready, 1) != 1) ::_exit(2);
      for (;;) ::pause();
    } catch (...) {
      ::_exit(1);
    }
  }
  ::close(pipeFds[1]);
  readyFd = pipeFds[0];
  return child;
}

bool WaitReady(int fd) {
  pollfd wait{fd, POLLIN, 0};
  char ready = 0;
  bool ok = ::poll(&wait, 1, 10000) == 1 && ::read(fd, &ready, 1) == 1 && ready == 'r';
  ::close(fd);
  return ok;
}

void KillNine(pid_t child) {
  ::kill(child, SIGKILL);
  int status;
  ::waitpid(child, &status, 0);
}

TEST_F(LinuxDriverTest, KillNineLeavesTheAdapterWorkingAtOnce) {
  if (Linux().AttachKind() != TAttachKind::Tcx) GTEST_SKIP() << "the kernel has no tcx links";
  int ready;
  pid_t child = StartInterceptingChild(FHost, TAttachKind::Tcx, ready);
  ASSERT_GT(child, 0);
  ASSERT_TRUE(WaitReady(ready));
  EXPECT_EQ(PingReceived(PingFromPeer(2)), 2) << "the child relays";
  EXPECT_EQ(TcxProgramCount(FAdapter, kBpfTcxIngress), 1u);
  KillNine(child);
  EXPECT_EQ(TcxProgramCount(FAdapter, kBpfTcxIngress), 0u);
  EXPECT_EQ(TcxProgramCount(FAdapter, kBpfTcxEgress), 0u);
  std::string ping = ShellOutput(TNetnsLab::In(FPeer) + "ping -q -c 1 -W 1 " + kHostAddress);
  EXPECT_EQ(PingReceived(ping), 1) << ping;
  EXPECT_FALSE(HasInterceptionDevices(ReadLinkTable()));
}

TEST_F(LinuxDriverTest, StaleClsBpfFiltersOfAKilledProcessAreRemovedAtTheNextStart) {
  int ready;
  pid_t child = StartInterceptingChild(FHost, TAttachKind::ClsBpf, ready);
  ASSERT_GT(child, 0);
  ASSERT_TRUE(WaitReady(ready));
  EXPECT_EQ(PingReceived(PingFromPeer(2)), 2) << "the child relays";
  KillNine(child);
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
