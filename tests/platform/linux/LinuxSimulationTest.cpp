// Whole simulations on real adapters: the engine with its threads on the
// Linux driver, in namespaces that the tests build. Normal mode runs on host
// H's adapter h0 towards peer P; bridge mode joins M's adapters ma and mb
// between the segments of A and B.
#include <gtest/gtest.h>
#include <net/if.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>

#include <linux/if_packet.h>
#include <sys/socket.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <arpa/inet.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <sstream>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>
#include <regex>
#include <thread>

#include "settings/LinkTraceFile.h"
#include "engine/Simulation.h"
#include "engine/SettingsApply.h"
#include "platform/MonotonicClock.h"
#include "platform/TimerFd.h"
#include "platform/linux/LinkTable.h"
#include "platform/linux/LinuxDriver.h"
#include "platform/linux/TcxAttachTypes.h"
#include "tests/filter/FrameBuilder.h"
#include "tests/platform/linux/NetnsLab.h"

namespace {

class TCollectingSink : public IErrorSink {
 public:
  void ShowError(const std::string& message) override { Messages.push_back(message); }
  std::vector<std::string> Messages;
};

// The engine, its threads and the Linux driver, built in the namespace of
// the thread that creates it.
struct TRealSimulation {
  TRealSimulation() {
    std::string whyNot;
    auto opened = OpenLinuxFilterDriver(whyNot);
    if (!opened) throw std::runtime_error(whyNot);
    Driver = std::move(opened);
    Engine = std::make_unique<TEngine>(*Driver, Clock, 11);
    Model.SetDefaults(0);
    Engine->LocalAddressSource = [] {
      TIPAddrList local;
      local.GetLocal(true, true);
      return local;
    };
    Run = std::make_unique<TSimulation>(*Engine, Timers, Errors);
    Driver->GetTcpipBoundAdaptersInfo(Adapters);
  }
  ~TRealSimulation() { Run->Stop(); }

  int Position(const std::string& name) {
    for (uint32_t i = 0; i < Adapters.AdapterCount; ++i)
      if (AdapterNameText(Adapters.AdapterNameList[i]) == name) return static_cast<int>(i);
    throw std::runtime_error("no adapter " + name);
  }
  void Start(const std::string& adapter, TBridgeSettings bridge = {}) {
    TSimulationRequest request;
    request.AdapterIndex = Position(adapter);
    request.Bridge = bridge;
    Run->Start(Adapters, request, [this] { ApplySettings(*Engine, TSettingsPart::spAll, Model); });
    // The interception threads take their adapters a moment after the start.
    WaitIntercepting(adapter);
    if (bridge.Enabled) {
      WaitIntercepting(AdapterNameText(bridge.AdapterA));
      WaitIntercepting(AdapterNameText(bridge.AdapterB));
    }
  }
  static void WaitIntercepting(const std::string& name) {
    uint32_t index = ::if_nametoindex(name.c_str());
    for (int i = 0; i < 500 && !(TcxProgramCount(index, kBpfTcxIngress) && TcxProgramCount(index, kBpfTcxEgress)); ++i)
      ::usleep(10000);
  }
  void Apply() { ApplySettings(*Engine, TSettingsPart::spAll, Model); }

  std::unique_ptr<IPacketDriver> Driver;
  TMonotonicClock Clock;
  TTimerFdFactory Timers;
  TCollectingSink Sink;
  TErrorChannel Errors{Sink};
  std::unique_ptr<TEngine> Engine;
  std::unique_ptr<TSimulation> Run;
  TSettingsModel Model;
  TTcpAdapterList Adapters;
};

std::string Ping(const std::string& from, const std::string& to, int count, const std::string& interval = "0.2") {
  return ShellOutput(TNetnsLab::In(from) + "ping -q -c " + std::to_string(count) + " -i " + interval + " -W 2 " + to +
                     " 2>&1");
}

// Receiver throughput of an iperf3 transfer in Mbit/s, or -1 when it failed.
double IperfMbits(const std::string& serverNs, const std::string& clientNs, const std::string& address,
                  const std::string& options) {
  if (Shell(TNetnsLab::In(serverNs) + "iperf3 -s -1 -D -p 5201 >/dev/null 2>&1") != 0) return -1;
  Shell("sleep 0.3");
  std::string output = ShellOutput("timeout 40 " + TNetnsLab::In(clientNs) + "iperf3 -f m -p 5201 -c " + address +
                                   " " + options + " 2>&1");
  std::smatch match;
  static const std::regex receiver(R"(([0-9.]+) Mbits/sec\s+receiver)");
  return std::regex_search(output, match, receiver) ? std::stod(match[1]) : -1;
}

// No TAP of ours is left in the namespace.
bool NoInterceptionDevicesLeft() {
  for (const auto& link : ReadLinkTable())
    if (link.Name.rfind("otin", 0) == 0 || link.Name.rfind("otout", 0) == 0) return false;
  return true;
}

uint32_t Promiscuity(const std::string& name) {
  for (const auto& link : ReadLinkTable())
    if (link.Name == name) return link.Promiscuity;
  return ~0U;
}

frame_builder::TMac MacOf(const std::string& ns, const std::string& device) {
  std::string text = ShellOutput(TNetnsLab::In(ns) + "cat /sys/class/net/" + device + "/address");
  frame_builder::TMac mac{};
  for (size_t i = 0; i < mac.size(); ++i) mac[i] = static_cast<uint8_t>(std::stoul(text.substr(3 * i, 2), nullptr, 16));
  return mac;
}

// Sends each frame as it stands from a packet socket on the device, from a
// thread inside the namespace: no VLAN device is needed to send tagged frames.
void SendRawFrames(const std::string& ns, const std::string& device, const std::vector<std::vector<uint8_t>>& frames) {
  std::thread([&] {
    TNetnsEnter inside(ns);
    TFileDescriptor socket(::socket(AF_PACKET, SOCK_RAW | SOCK_CLOEXEC, 0), "packet socket");
    sockaddr_ll address{};
    address.sll_family = AF_PACKET;
    address.sll_ifindex = static_cast<int>(::if_nametoindex(device.c_str()));
    ASSERT_EQ(::bind(socket.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    for (const auto& frame : frames)
      ASSERT_EQ(::send(socket.Get(), frame.data(), frame.size(), 0), static_cast<ssize_t>(frame.size()));
  }).join();
}

uint64_t RxPackets(const std::string& ns, const std::string& device) {
  return std::stoull(ShellOutput(TNetnsLab::In(ns) + "cat /sys/class/net/" + device + "/statistics/rx_packets"));
}

class LinuxNormalSimulation : public ::testing::Test {
 protected:
  void SetUp() override {
    OT_REQUIRE_NETNS();
    FLab = std::make_unique<TNetnsLab>();
    FLab->AddHostAndPeer(FHost, FPeer, "10.77.0.1", "10.77.0.2");
    FInside = std::make_unique<TNetnsEnter>(FHost);
    FSim = std::make_unique<TRealSimulation>();
  }
  void TearDown() override {
    FSim.reset();
    FInside.reset();
    FLab.reset();
  }

  std::unique_ptr<TNetnsLab> FLab;
  std::string FHost, FPeer;
  std::unique_ptr<TNetnsEnter> FInside;
  std::unique_ptr<TRealSimulation> FSim;
};

TEST_F(LinuxNormalSimulation, NothingEnabledPassesPingAndTcpUnimpaired) {
  FSim->Start("h0");
  std::string ping = Ping(FPeer, "10.77.0.1", 5);
  EXPECT_EQ(PingReceived(ping), 5) << ping;
  EXPECT_LT(PingAverageMs(ping), 20.0) << ping;
  double mbits = IperfMbits(FHost, FPeer, "10.77.0.1", "-t 2");
  EXPECT_GT(mbits, 50.0) << "a transfer crosses at a useful rate";
  TEngineCounters counters = FSim->Engine->Counters();
  EXPECT_GT(counters.BytesIn, 1000000u);
  EXPECT_GT(counters.BytesOut, 10000u);
}

TEST_F(LinuxNormalSimulation, FixedLatencyShowsInTheRoundTripTime) {
  FSim->Model.LatencyEnabled = true;
  FSim->Model.DelayFrom = 40;
  FSim->Start("h0");
  std::string ping = Ping(FPeer, "10.77.0.1", 5);
  double rtt = PingAverageMs(ping);
  // Both directions are delayed: 40 ms on the way in and 40 on the way out.
  EXPECT_GE(rtt, 78.0) << ping;
  EXPECT_LE(rtt, 200.0) << ping;
  // A change takes effect while the simulation runs.
  FSim->Model.LatencyEnabled = false;
  FSim->Apply();
  Shell("sleep 0.2");
  EXPECT_LT(PingAverageMs(Ping(FPeer, "10.77.0.1", 3)), 20.0);
}

TEST_F(LinuxNormalSimulation, RateLimitShowsInATransfer) {
  FSim->Model.SelectRate(TShapingRate("10 Mbit/s", 10000000, 10000000));
  FSim->Start("h0");
  double mbits = IperfMbits(FHost, FPeer, "10.77.0.1", "-t 3");
  // 10 Mbit/s of Ethernet frames carry about 9.5 Mbit/s of TCP payload.
  EXPECT_GT(mbits, 6.0);
  EXPECT_LT(mbits, 12.0);
}

// A link that alternates 100 ms at 6 Mbit/s (an opportunity every second
// ms) with 100 ms at 10 (five of every six ms), read from a file as a user's
// trace would be: 133 opportunities in 200 ms, 8.0 Mbit/s.
TEST_F(LinuxNormalSimulation, TraceLinkGivesATransferAboutItsAverageRate) {
  const std::string path = "/tmp/ot-netns-trace-" + std::to_string(::getpid()) + ".trace";
  {
    std::ofstream file(path);
    for (int ms = 2; ms <= 100; ms += 2) file << ms << "\n";
    for (int ms = 101; ms <= 200; ++ms)
      if (ms % 6 != 0) file << ms << "\n";
  }
  const auto trace = std::make_shared<const TLinkTrace>(ReadLinkTraceFile(path));
  std::remove(path.c_str());
  ASSERT_NEAR(trace->AverageBitRate(), 8.0e6, 0.01e6);
  TShapingRate rate("8 Mbit/s trace", 0, 0);
  rate.InTrace = rate.OutTrace = trace;
  FSim->Model.SelectRate(rate);
  FSim->Start("h0");
  // The link never carries more than its opportunities grant, however the
  // transfer goes: bytes delivered against the trace's grant so far.
  auto deliveredWithinGrant = [&] {
    TLockGuard lock(FSim->Engine->Locks.EngineLock);
    const TEngineState& state = FSim->Engine->State;
    const uint64_t granted = trace->OpportunitiesBefore(state.TraceIn.ElapsedMs()) * kTraceOpportunityBytes;
    return state.Counters.BytesIn <= granted + kMaxFrameData;
  };
  // Full-size frames carry about 95 % of their bytes as TCP payload. Lost
  // opportunities are not made up, so a sender the busy machine stalls gets
  // less: the best of up to three transfers is judged, in a wide band.
  const double average = trace->AverageBitRate() / 1e6;
  double best = 0;
  for (int attempt = 0; attempt < 3 && best <= 0.5 * average; ++attempt) {
    const double mbits = IperfMbits(FHost, FPeer, "10.77.0.1", "-t 4");
    EXPECT_LT(mbits, 1.2 * average);
    EXPECT_TRUE(deliveredWithinGrant());
    best = std::max(best, mbits);
  }
  EXPECT_GT(best, 0.5 * average);
}

TEST_F(LinuxNormalSimulation, LossShowsInAPingSeries) {
  FSim->Model.LossEnabled = true;
  FSim->Model.LossPosition = 300;  // 30 % of the frames of each direction
  FSim->Start("h0");
  std::string ping = Ping(FPeer, "10.77.0.1", 60, "0.05");
  int received = PingReceived(ping);
  // A reply comes back with probability 0.7 x 0.7 = 0.49.
  EXPECT_GT(received, 12) << ping;
  EXPECT_LT(received, 50) << ping;
  EXPECT_GT(FSim->Engine->Counters().DroppedIn + FSim->Engine->Counters().DroppedOut, 0u);
}

TEST_F(LinuxNormalSimulation, AfterAStopTheAdapterIsAsItWas) {
  uint32_t h0 = ::if_nametoindex("h0");
  FSim->Model.LatencyEnabled = true;
  FSim->Model.DelayFrom = 30;
  FSim->Start("h0");
  EXPECT_GE(PingAverageMs(Ping(FPeer, "10.77.0.1", 2)), 55.0);
  FSim->Run->Stop();
  EXPECT_TRUE(NoInterceptionDevicesLeft());
  EXPECT_EQ(TcxProgramCount(h0, kBpfTcxIngress) + TcxProgramCount(h0, kBpfTcxEgress), 0u);
  EXPECT_EQ(Promiscuity("h0"), 0u);
  std::string ping = Ping(FPeer, "10.77.0.1", 3);
  EXPECT_EQ(PingReceived(ping), 3) << ping;
  EXPECT_LT(PingAverageMs(ping), 20.0) << "no delay after the stop";
  EXPECT_TRUE(FSim->Sink.Messages.empty()) << FSim->Sink.Messages.front();
}

// The kernel puts the tag back into a frame on its way into the TAP, so a
// full-size tagged frame is 1518 bytes long there.
TEST_F(LinuxNormalSimulation, TaggedFramesOfEverySizeGoThroughTheEngineAndItsFilter) {
  {
    TLockGuard lock(FSim->Engine->Locks.SettingsLock);
    FSim->Engine->Settings.Filter.Enabled = true;
    FSim->Engine->Settings.Filter.VlanId = 100;
  }
  FSim->Start("h0");
  const frame_builder::TMac host = MacOf(FHost, "h0");
  const frame_builder::TMac peer = MacOf(FPeer, "p0");
  auto tagged = [&](uint16_t vlan, size_t size) {
    return frame_builder::TFrameBuilder()
        .Ethernet(host, peer)
        .Vlan(vlan)
        .IPv4("10.77.0.2", "10.77.0.1", frame_builder::kProtoUdp)
        .Udp(4000, 9)
        .Payload(size - 46, 0)
        .Build();
  };
  const size_t sizes[] = {64, 1000, 1514, 1518};
  std::vector<std::vector<uint8_t>> selected, other;
  for (size_t size : sizes) {
    for (int i = 0; i < 3; ++i) {
      selected.push_back(tagged(100, size));
      other.push_back(tagged(200, size));
    }
  }
  ASSERT_EQ(selected.back().size(), 1518u);
  SendRawFrames(FPeer, "p0", selected);
  SendRawFrames(FPeer, "p0", other);
  const uint64_t expected = selected.size();
  for (int i = 0; i < 500 && FSim->Engine->Counters().FramesIn < expected; ++i) ::usleep(10000);
  Shell("sleep 0.3");  // a frame too many would show by now
  const TEngineCounters c = FSim->Engine->Counters();
  EXPECT_EQ(c.FramesIn, expected) << "every frame of VLAN 100, of every size, and no other";
  EXPECT_EQ(c.SentIn, expected);
  EXPECT_EQ(c.OversizedIn, 0u);
  uint64_t bytes = 0;
  for (const auto& frame : selected) bytes += frame.size();
  EXPECT_EQ(c.BytesIn, bytes) << "the frames arrive whole, with their tags";
}

// Round trips of small messages from the peer to an echo on the host, in ms
// each: UDP datagrams to port 5000, or one TCP connection to port 6000. The
// echo runs in the calling thread's namespace, the client in the peer's.
std::vector<double> EchoRoundTripsMs(const std::string& peerNs, bool tcp, int count) {
  const uint16_t port = tcp ? 6000 : 5000;
  TFileDescriptor server(::socket(AF_INET, (tcp ? SOCK_STREAM : SOCK_DGRAM) | SOCK_CLOEXEC, 0), "echo socket");
  const int on = 1;
  ::setsockopt(server.Get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  if (::bind(server.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) ThrowSystemError("bind");
  if (tcp) ::listen(server.Get(), 1);
  std::thread echo([&] {
    TFileDescriptor connection;
    int fd = server.Get();
    if (tcp) {
      pollfd waiting{fd, POLLIN, 0};
      if (::poll(&waiting, 1, 5000) != 1) return;
      connection = TFileDescriptor(::accept4(fd, nullptr, nullptr, SOCK_CLOEXEC));
      fd = connection.Get();
    }
    char buffer[64];
    for (int i = 0; i < count; ++i) {
      pollfd waiting{fd, POLLIN, 0};
      if (::poll(&waiting, 1, 5000) != 1) return;
      sockaddr_in from{};
      socklen_t fromLength = sizeof from;
      const ssize_t n = ::recvfrom(fd, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &fromLength);
      if (n <= 0) return;
      if (tcp) {
        ::send(fd, buffer, static_cast<size_t>(n), 0);
      } else {
        ::sendto(fd, buffer, static_cast<size_t>(n), 0, reinterpret_cast<sockaddr*>(&from), fromLength);
      }
    }
  });
  std::vector<double> times;
  std::thread([&] {
    TNetnsEnter inside(peerNs);
    TFileDescriptor client(::socket(AF_INET, (tcp ? SOCK_STREAM : SOCK_DGRAM) | SOCK_CLOEXEC, 0), "client socket");
    sockaddr_in host{};
    host.sin_family = AF_INET;
    host.sin_port = htons(port);
    ::inet_pton(AF_INET, "10.77.0.1", &host.sin_addr);
    if (::connect(client.Get(), reinterpret_cast<sockaddr*>(&host), sizeof host) != 0) return;
    ::setsockopt(client.Get(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    char message[32] = "round trip";
    for (int i = 0; i < count; ++i) {
      const auto sent = std::chrono::steady_clock::now();
      if (::send(client.Get(), message, sizeof message, 0) != sizeof message) return;
      pollfd waiting{client.Get(), POLLIN, 0};
      if (::poll(&waiting, 1, 3000) != 1 || ::recv(client.Get(), message, sizeof message, MSG_WAITALL) != sizeof message)
        return;
      times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - sent).count());
    }
  }).join();
  echo.join();
  return times;
}

double Median(std::vector<double> values) {
  if (values.empty()) return -1;
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// The packets a device of the calling thread's namespace received and sent.
std::pair<uint64_t, uint64_t> DevicePackets(const std::string& device) {
  std::ifstream dev("/proc/thread-self/net/dev");
  std::string line;
  while (std::getline(dev, line)) {
    std::istringstream fields(line);
    std::string name;
    fields >> name;
    if (name != device + ":") continue;
    uint64_t rxBytes, rxPackets, skip, txBytes, txPackets;
    fields >> rxBytes >> rxPackets;
    for (int i = 0; i < 6; ++i) fields >> skip;
    fields >> txBytes >> txPackets;
    return {rxPackets, txPackets};
  }
  throw std::runtime_error("no device " + device);
}

// The device's packets and the kernel's counts, read until the device's did
// not change meanwhile, so that no frame is in one and not the other.
struct TPathCounts {
  std::pair<uint64_t, uint64_t> Device;
  TKernelPassedCounts Kernel;
};
TPathCounts SteadyPathCounts(const IPacketDriver& driver, const std::string& device) {
  TPathCounts counts;
  for (int i = 0; i < 50; ++i) {
    counts.Device = DevicePackets(device);
    counts.Kernel = driver.KernelPassed();
    if (DevicePackets(device) == counts.Device) break;
  }
  return counts;
}

// With a rule on UDP port 5000 and 100 ms of latency, traffic the rule does
// not select (TCP to another port, ping, ARP) crosses unhindered while port
// 5000 waits its 100 ms each way; and the engine counts the same frames
// whether the kernel (the default) or the engine (OT_STEAL_ALL=1) passed the
// others. What the adapter received and sent adds up to what the engine and
// the kernel each let through.
TEST_F(LinuxNormalSimulation, ARuleOnUdpPort5000DelaysOnlyItsFramesWhicheverSidePassesTheOthers) {
  const char* forced = std::getenv("OT_STEAL_ALL");
  const std::string outside = forced ? forced : "";
  for (const bool kernelDecides : {true, false}) {
    SCOPED_TRACE(kernelDecides ? "the kernel passes what the rule does not select" : "the engine sees every frame");
    ::setenv("OT_STEAL_ALL", kernelDecides ? "0" : "1", 1);
    FSim = std::make_unique<TRealSimulation>();
    FSim->Model.LatencyEnabled = true;
    FSim->Model.DelayFrom = 100;
    {
      TLockGuard lock(FSim->Engine->Locks.SettingsLock);
      TFilterSettings& rule = FSim->Engine->Settings.Filter;
      rule.Enabled = true;
      rule.Protocol = fpIPv4UDP;
      rule.Destination.PortType = ptSingle;
      rule.Destination.Ports = {5000};
    }
    FSim->Start("h0");
    // ARP settles before the counting begins.
    EXPECT_EQ(PingReceived(Ping(FPeer, "10.77.0.1", 1)), 1);
    const TPathCounts before = SteadyPathCounts(*FSim->Driver, "h0");
    const TEngineCounters engineBefore = FSim->Engine->Counters();

    const int exchanges = 10;
    const std::vector<double> tcp = EchoRoundTripsMs(FPeer, true, exchanges);
    const std::vector<double> udp = EchoRoundTripsMs(FPeer, false, exchanges);
    const std::string ping = Ping(FPeer, "10.77.0.1", 5);
    ASSERT_EQ(tcp.size(), size_t(exchanges));
    ASSERT_EQ(udp.size(), size_t(exchanges));
    EXPECT_LT(Median(tcp), 20.0) << "TCP to port 6000 is not delayed";
    EXPECT_LT(PingAverageMs(ping), 20.0) << ping;
    EXPECT_GE(Median(udp), 199.0) << "100 ms on the way in and 100 on the way out";
    EXPECT_LT(Median(udp), 1000.0);

    Shell("sleep 0.3");  // the last echo has left the latency queue
    const TEngineCounters c = FSim->Engine->Counters();
    const TPathCounts after = SteadyPathCounts(*FSim->Driver, "h0");
    // The engine saw the datagrams and their echoes, nothing else.
    EXPECT_EQ(c.FramesIn - engineBefore.FramesIn, uint64_t(exchanges));
    EXPECT_EQ(c.FramesOut - engineBefore.FramesOut, uint64_t(exchanges));
    EXPECT_EQ(c.SentIn - engineBefore.SentIn, uint64_t(exchanges));
    EXPECT_EQ(c.SentOut - engineBefore.SentOut, uint64_t(exchanges));
    EXPECT_EQ(c.BytesIn - engineBefore.BytesIn, uint64_t(exchanges) * (14 + 20 + 8 + 32));
    EXPECT_EQ(c.DelayedIn - engineBefore.DelayedIn, uint64_t(exchanges));
    const uint64_t rx = after.Device.first - before.Device.first;
    const uint64_t tx = after.Device.second - before.Device.second;
    const uint64_t kernelIn = after.Kernel.FramesIn - before.Kernel.FramesIn;
    const uint64_t kernelOut = after.Kernel.FramesOut - before.Kernel.FramesOut;
    if (kernelDecides) {
      // A TCP frame per exchange at least, and the ping.
      EXPECT_GE(kernelIn, uint64_t(exchanges + 5));
      EXPECT_GE(kernelOut, uint64_t(exchanges + 5));
    } else {
      EXPECT_EQ(kernelIn + kernelOut, 0u);
    }
    if (kernelDecides) {
      // Every frame the adapter received went one way or the other; every
      // frame it sent came from the kernel's path or from the engine.
      EXPECT_EQ(rx, kernelIn + exchanges);
      EXPECT_EQ(tx, kernelOut + exchanges);
    }
    FSim.reset();
  }
  if (forced) {
    ::setenv("OT_STEAL_ALL", outside.c_str(), 1);
  } else {
    ::unsetenv("OT_STEAL_ALL");
  }
}

std::string DeviceWithPrefix(const std::string& prefix) {
  for (const auto& link : ReadLinkTable())
    if (link.Name.rfind(prefix, 0) == 0) return link.Name;
  return {};
}

// A device that disappears under a running simulation ends it: the thread
// says which adapter is gone and has released its hooks by then, so the
// adapter (when it is still there) works again at once.
TEST_F(LinuxNormalSimulation, ARemovedDeviceEndsTheSimulationWithItsHooksReleased) {
  const uint32_t h0 = ::if_nametoindex("h0");
  // The adapter itself last: it takes the peer's end with it.
  for (const std::string removed : {"otin", "otout", "h0"}) {
    SCOPED_TRACE(removed);
    FSim->Sink.Messages.clear();
    FSim->Start("h0");
    ASSERT_EQ(PingReceived(Ping(FPeer, "10.77.0.1", 1)), 1);
    const std::string device = DeviceWithPrefix(removed);
    ASSERT_FALSE(device.empty());
    FLab->Run(FHost, "ip link del " + device);
    for (int i = 0; i < 1000 && FSim->Sink.Messages.empty(); ++i) {
      FSim->Errors.ServePending();
      ::usleep(10000);
    }
    ASSERT_EQ(FSim->Sink.Messages.size(), 1u);
    EXPECT_EQ(FSim->Sink.Messages[0].rfind(
                  "Error occured in TNormalProcess.TNormalThread: The network adapter h0 is no longer available", 0),
              0u)
        << FSim->Sink.Messages[0];
    EXPECT_TRUE(FSim->Run->AdapterLost());
    // Before the owner stops anything.
    EXPECT_TRUE(NoInterceptionDevicesLeft());
    if (removed != "h0") {
      EXPECT_EQ(TcxProgramCount(h0, kBpfTcxIngress) + TcxProgramCount(h0, kBpfTcxEgress), 0u);
      std::string ping = Ping(FPeer, "10.77.0.1", 2);
      EXPECT_EQ(PingReceived(ping), 2) << "the adapter is no longer black-holed: " << ping;
    }
    FSim->Run->Stop();
  }
}

// A child process runs a simulation with a long latency on h0 until killed.
TEST_F(LinuxNormalSimulation, KillNineOfARunningSimulationLeavesTheHostsTalking) {
  FSim.reset();  // the child builds its own; the parent stays single-threaded for fork
  int pipeFds[2];
  ASSERT_EQ(::pipe(pipeFds), 0);
  pid_t child = ::fork();
  if (child == 0) {
    ::close(pipeFds[0]);
    ::alarm(60);
    try {
      TRealSimulation sim;
      sim.Model.LatencyEnabled = true;
      sim.Model.DelayFrom = 300;
      sim.Start("h0");
      char ready = 'r';
      if (::write(pipeFds[1], &ready, 1) != 1) ::_exit(2);
      for (;;) ::pause();
    } catch (...) {
      ::_exit(1);
    }
  }
  ::close(pipeFds[1]);
  pollfd wait{pipeFds[0], POLLIN, 0};
  char ready = 0;
  bool started = ::poll(&wait, 1, 10000) == 1 && ::read(pipeFds[0], &ready, 1) == 1;
  ::close(pipeFds[0]);
  ASSERT_TRUE(started);
  std::string slow = Ping(FPeer, "10.77.0.1", 1);
  EXPECT_GE(PingAverageMs(slow), 550.0) << "the child's simulation delays the traffic: " << slow;
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
  std::string ping = Ping(FPeer, "10.77.0.1", 2);
  EXPECT_EQ(PingReceived(ping), 2) << ping;
  EXPECT_LT(PingAverageMs(ping), 20.0) << ping;
  EXPECT_TRUE(NoInterceptionDevicesLeft());
}

class LinuxBridgeSimulation : public ::testing::Test {
 protected:
  void SetUp() override {
    OT_REQUIRE_NETNS();
    FLab = std::make_unique<TNetnsLab>();
    FA = FLab->AddNamespace("a");
    FM = FLab->AddNamespace("m");
    FB = FLab->AddNamespace("b");
    FLab->AddVeth(FM, "xa0", FA, "ya0");
    FLab->AddVeth(FM, "xb0", FB, "yb0");
    FLab->Run(FA, "ip addr add 10.88.0.1/24 dev ya0");
    FLab->Run(FB, "ip addr add 10.88.0.2/24 dev yb0");
    FInside = std::make_unique<TNetnsEnter>(FM);
    FSim = std::make_unique<TRealSimulation>();
    FBridge.Enabled = true;
    FBridge.AdapterA = MakeAdapterName("xa0");
    FBridge.AdapterB = MakeAdapterName("xb0");
  }
  void TearDown() override {
    FSim.reset();
    FInside.reset();
    FLab.reset();
  }

  std::unique_ptr<TNetnsLab> FLab;
  std::string FA, FM, FB;
  std::unique_ptr<TNetnsEnter> FInside;
  std::unique_ptr<TRealSimulation> FSim;
  TBridgeSettings FBridge;
};

TEST_F(LinuxBridgeSimulation, PingArpAndTcpCrossTheBridge) {
  FSim->Start("xa0", FBridge);
  EXPECT_EQ(Promiscuity("xa0"), 1u);
  EXPECT_EQ(Promiscuity("xb0"), 1u);
  std::string ping = Ping(FA, "10.88.0.2", 5);
  EXPECT_EQ(PingReceived(ping), 5) << ping;
  EXPECT_NE(ShellOutput(TNetnsLab::In(FA) + "ip neigh show 10.88.0.2").find("lladdr"), std::string::npos)
      << "ARP crossed the bridge";
  EXPECT_GT(IperfMbits(FB, FA, "10.88.0.2", "-t 2"), 50.0);
  FSim->Run->Stop();
  EXPECT_EQ(Promiscuity("xa0"), 0u) << "the former hardware filter is back";
  EXPECT_EQ(Promiscuity("xb0"), 0u);
  EXPECT_TRUE(NoInterceptionDevicesLeft());
  EXPECT_EQ(PingReceived(Ping(FA, "10.88.0.2", 1)), 0) << "and after the stop they are apart again";
}

TEST_F(LinuxBridgeSimulation, AFrameTheEngineDropsNeverReachesTheOtherSide) {
  FSim->Model.LossEnabled = true;
  FSim->Model.LossPosition = 1000;  // every frame
  FSim->Start("xa0", FBridge);
  uint64_t before = RxPackets(FB, "yb0");
  EXPECT_EQ(PingReceived(Ping(FA, "10.88.0.2", 3)), 0);
  EXPECT_EQ(RxPackets(FB, "yb0"), before) << "not one frame reached B";
  FSim->Model.LossEnabled = false;
  FSim->Apply();
  // The failed resolutions would make the next pings fail at once.
  FLab->Run(FA, "ip neigh flush dev ya0");
  EXPECT_EQ(PingReceived(Ping(FA, "10.88.0.2", 3)), 3);
}

TEST_F(LinuxBridgeSimulation, JumboFramesCrossTheBridgeAndAreCounted) {
  for (const auto& [ns, device] : {std::pair{FA, "ya0"}, {FM, "xa0"}, {FM, "xb0"}, {FB, "yb0"}})
    FLab->Run(ns, std::string("ip link set ") + device + " mtu 9000");
  FSim->Start("xa0", FBridge);
  std::string ping = Ping(FA, "10.88.0.2", 3, "0.2 -s 8000 -M do");
  EXPECT_EQ(PingReceived(ping), 3) << ping;
  const TEngineCounters c = FSim->Engine->Counters();
  // Each request enters at the selected xa0, each reply leaves by it.
  EXPECT_GE(c.OversizedIn, 3u);
  EXPECT_GE(c.OversizedOut, 3u);
}

TEST_F(LinuxBridgeSimulation, LatencyAppliesToForwardedFrames) {
  FSim->Model.LatencyEnabled = true;
  FSim->Model.DelayFrom = 25;
  FSim->Start("xb0", FBridge);
  std::string ping = Ping(FA, "10.88.0.2", 4);
  EXPECT_EQ(PingReceived(ping), 4) << ping;
  // Request and reply cross the bridge once each.
  EXPECT_GE(PingAverageMs(ping), 48.0) << ping;
  EXPECT_LE(PingAverageMs(ping), 200.0) << ping;
}

}  // namespace
