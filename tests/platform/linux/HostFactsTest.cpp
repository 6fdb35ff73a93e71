// The host's network facts read from a namespace the test builds: adapter
// configuration, default adapter, neighbour lookups and TCP connections.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>

#include <chrono>
#include <memory>

#include "common/Assertion.h"
#include "platform/linux/AdapterConfig.h"
#include "platform/linux/LinkTable.h"
#include "platform/linux/LinuxDriver.h"
#include "platform/linux/NeighbourTable.h"
#include "platform/linux/NetStat.h"
#include "tests/platform/linux/NetnsLab.h"

namespace {

uint32_t V4(const char* text) { return ::inet_addr(text); }

// "aa:bb:cc:dd:ee:ff"
std::string MacText(const std::string& ns, const std::string& device) {
  return ShellOutput(TNetnsLab::In(ns) + "cat /sys/class/net/" + device + "/address").substr(0, 17);
}

THWAddr MacOf(const std::string& ns, const std::string& device) {
  THWAddr mac;
  StrToHWAddr(MacText(ns, device), mac);
  return mac;
}

const TAdapterConfigItem* ItemNamed(const TAdapterConfigList& list, uint32_t index) {
  for (int i = 0; i < list.Count(); ++i)
    if (list[i].Index == index) return &list[i];
  return nullptr;
}

// Host H with two veth adapters towards P1 and P2 and a third adapter that is down.
class HostFactsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    OT_REQUIRE_NETNS();
    FLab = std::make_unique<TNetnsLab>();
    FHost = FLab->AddNamespace("h");
    FPeer1 = FLab->AddNamespace("p1");
    FPeer2 = FLab->AddNamespace("p2");
    FLab->AddVeth(FHost, "a0", FPeer1, "pa");
    FLab->AddVeth(FHost, "b0", FPeer2, "pb");
    FLab->Run(FHost, "ip addr add 10.1.0.1/24 dev a0");
    FLab->Run(FHost, "ip addr add 10.2.0.1/24 dev b0");
    FLab->Run(FHost, "ip -6 addr add 2001:db8:2::1/64 dev b0 nodad");
    FLab->Run(FHost, "ip route add default via 10.2.0.254 dev b0");
    FLab->AddVeth(FHost, "c0", FPeer2, "pc");
    FLab->Run(FHost, "ip link set c0 down");
    FLab->Run(FHost, "ip addr add 10.3.0.1/16 dev c0");
    FLab->Run(FPeer1, "ip addr add 10.1.0.2/24 dev pa");
    FInside = std::make_unique<TNetnsEnter>(FHost);
  }
  void TearDown() override {
    FInside.reset();
    FLab.reset();
  }

  std::unique_ptr<TNetnsLab> FLab;
  std::string FHost, FPeer1, FPeer2;
  std::unique_ptr<TNetnsEnter> FInside;
};

TEST_F(HostFactsTest, ConfigurationListsEveryAdapterWithAHardwareAddress) {
  Shell("sleep 0.2");  // link-local addresses appear once the links are up
  TAdapterConfigList config;
  uint32_t a0 = ::if_nametoindex("a0"), b0 = ::if_nametoindex("b0"), c0 = ::if_nametoindex("c0");
  ASSERT_EQ(config.Count(), 3) << "a0, b0 and c0; loopback has no hardware address";
  EXPECT_EQ(config[0].Index, a0);
  EXPECT_EQ(config[1].Index, b0);
  EXPECT_EQ(config[2].Index, c0);

  const TAdapterConfigItem& b = *ItemNamed(config, b0);
  EXPECT_EQ(b.Name.rfind("b0", 0), 0u) << b.Name;
  EXPECT_EQ(b.HWAddr, MacOf(FHost, "b0"));
  EXPECT_EQ(b.IPv4AddrList, std::vector<uint32_t>{V4("10.2.0.1")});
  EXPECT_EQ(b.IPv4MaskList, std::vector<uint32_t>{V4("255.255.255.0")});
  ASSERT_EQ(b.GatewayList.Count(), 1);
  EXPECT_EQ(b.GatewayList[0], TIPAddr::Create(V4("10.2.0.254")));
  TIn6_addr global;
  ASSERT_TRUE(StrToIPv6("2001:db8:2::1", global));
  ASSERT_EQ(b.IPv6AddrList.size(), b.IPv6ZoneList.size());
  bool sawGlobal = false, sawLinkLocal = false;
  for (size_t i = 0; i < b.IPv6AddrList.size(); ++i) {
    if (b.IPv6AddrList[i] == global) {
      sawGlobal = true;
      EXPECT_EQ(b.IPv6ZoneList[i], 0u);
    } else if (b.IPv6AddrList[i].Byte[0] == 0xfe && (b.IPv6AddrList[i].Byte[1] & 0xc0) == 0x80) {
      sawLinkLocal = true;
      EXPECT_EQ(b.IPv6ZoneList[i], b0) << "a link-local address carries its interface as scope";
    }
  }
  EXPECT_TRUE(sawGlobal);
  EXPECT_TRUE(sawLinkLocal);

  const TAdapterConfigItem& a = *ItemNamed(config, a0);
  EXPECT_EQ(a.GatewayList.Count(), 0);
  const TAdapterConfigItem& c = *ItemNamed(config, c0);
  EXPECT_EQ(c.IPv4AddrList, std::vector<uint32_t>{V4("10.3.0.1")}) << "a down adapter keeps its IPv4 addresses";
  EXPECT_EQ(c.IPv4MaskList, std::vector<uint32_t>{V4("255.255.0.0")});
  EXPECT_TRUE(c.IPv6AddrList.empty()) << "but contributes no IPv6 addresses";
}

TEST_F(HostFactsTest, DefaultAdapterIsTheOneWithTheGateway) {
  std::string whyNot;
  auto driver = OpenLinuxFilterDriver(whyNot);
  ASSERT_TRUE(driver) << whyNot;
  TTcpAdapterList adapters;
  ASSERT_TRUE(driver->GetTcpipBoundAdaptersInfo(adapters));
  ASSERT_EQ(adapters.AdapterCount, 3u);
  int b0 = FindAdapter(adapters, MakeAdapterName("b0")) - 1;
  ASSERT_GE(b0, 0);
  EXPECT_EQ(DefaultAdapterIndex(adapters), b0);
  FLab->Run(FHost, "ip route del default");
  EXPECT_EQ(DefaultAdapterIndex(adapters), 0) << "no gateway anywhere: the first slot";
  FLab->Run(FHost, "ip route add default via 10.1.0.254 dev a0");
  EXPECT_EQ(DefaultAdapterIndex(adapters), FindAdapter(adapters, MakeAdapterName("a0")) - 1);
}

TEST_F(HostFactsTest, HardwareAddressComesFromTheNeighbourTable) {
  THWAddr mac;
  // No entry yet: the lookup resolves it.
  EXPECT_TRUE(GetHWAddr(TIPAddr::Create(V4("10.1.0.2")), mac));
  EXPECT_EQ(mac, MacOf(FPeer1, "pa"));

  FLab->Run(FHost, "ip neigh replace 10.1.0.2 lladdr " + MacText(FPeer1, "pa") + " dev a0 nud stale");
  EXPECT_FALSE(GetHWAddr(TIPAddr::Create(V4("10.1.0.2")), mac)) << "a stale entry does not count";
  EXPECT_EQ(mac, MacOf(FPeer1, "pa"));

  FLab->Run(FHost, "ip neigh replace 10.1.0.9 lladdr 02:00:00:00:00:09 dev a0 nud permanent");
  EXPECT_TRUE(GetHWAddr(TIPAddr::Create(V4("10.1.0.9")), mac));
  EXPECT_EQ(HWAddrToStr(mac), "020000000009");

  struct {
    const char* Address;
    const char* Why;
  } const failures[] = {
      {"10.1.0.50", "nobody answers on the link"},
      {"10.1.0.1", "our own address"},
      {"192.0.2.1", "no route"},
      {"8.8.8.8", "off-link, behind the gateway"},
  };
  for (const auto& failure : failures) {
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(GetHWAddr(TIPAddr::Create(V4(failure.Address)), mac)) << failure.Why;
    EXPECT_EQ(HWAddrToStr(mac), "000000000000") << failure.Why;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10)) << failure.Why;
  }
  TIn6_addr v6;
  StrToIPv6("2001:db8:2::2", v6);
  EXPECT_FALSE(GetHWAddr(TIPAddr::Create(v6), mac));
}

// A connected pair of TCP sockets on a loopback address of the namespace.
struct TConnection {
  TFileDescriptor Listener, Client, Server;
  uint16_t Port = 0;
  TConnection(int family, const char* address) {
    sockaddr_storage storage{};
    socklen_t length;
    if (family == AF_INET) {
      auto* v4 = reinterpret_cast<sockaddr_in*>(&storage);
      v4->sin_family = AF_INET;
      ::inet_pton(AF_INET, address, &v4->sin_addr);
      length = sizeof *v4;
    } else {
      auto* v6 = reinterpret_cast<sockaddr_in6*>(&storage);
      v6->sin6_family = AF_INET6;
      ::inet_pton(AF_INET6, address, &v6->sin6_addr);
      length = sizeof *v6;
    }
    auto* any = reinterpret_cast<sockaddr*>(&storage);
    Listener = TFileDescriptor(::socket(family, SOCK_STREAM | SOCK_CLOEXEC, 0), "listener");
    if (::bind(Listener.Get(), any, length) < 0 || ::listen(Listener.Get(), 1) < 0) ThrowSystemError("listen");
    ::getsockname(Listener.Get(), any, &length);
    Port = ntohs(family == AF_INET ? reinterpret_cast<sockaddr_in*>(any)->sin_port
                                   : reinterpret_cast<sockaddr_in6*>(any)->sin6_port);
    Client = TFileDescriptor(::socket(family, SOCK_STREAM | SOCK_CLOEXEC, 0), "client");
    if (::connect(Client.Get(), any, length) < 0) ThrowSystemError("connect");
    Server = TFileDescriptor(::accept4(Listener.Get(), nullptr, nullptr, SOCK_CLOEXEC), "accept");
  }
};

int CountWithLocalPort(const TNetStat& list, uint16_t port, TAddrType ver) {
  int count = 0;
  for (int i = 0; i < list.Count(); ++i)
    if ((ntohs(list[i].FLocalPort) == port || ntohs(list[i].FRemotePort) == port) && list[i].FLocalAddr.Ver == ver)
      ++count;
  return count;
}

TEST_F(HostFactsTest, ConnectionsListShowsEstablishedTcpAndTerminatesIPv4) {
  TConnection v4(AF_INET, "127.0.0.1");
  TConnection v6(AF_INET6, "::1");
  TNetStat list;
  list.Reload();
  // Each connection shows from both ends; the listeners do not show.
  EXPECT_EQ(CountWithLocalPort(list, v4.Port, atIPv4), 2);
  EXPECT_EQ(CountWithLocalPort(list, v6.Port, atIPv6), 2);
  EXPECT_EQ(list.Count(), 4);
  const TNetStatEntry* client = nullptr;
  for (int i = 0; i < list.Count(); ++i) {
    EXPECT_EQ(list[i].StateText(), "ESTABLISHED");
    EXPECT_EQ(list[i].ProtocolText(), "TCP");
    if (list[i].FLocalAddr.Ver == atIPv4 && ntohs(list[i].FRemotePort) == v4.Port) client = &list[i];
    if (list[i].IsIPv6()) {
      EXPECT_THROW(
          try { list[i].Terminate(); } catch (const EAssertionFailed& e) {
            EXPECT_NE(std::string(e.what()).find("NetStat"), std::string::npos) << e.what();
            throw;
          },
          EAssertionFailed);
    }
  }
  ASSERT_TRUE(client);
  EXPECT_EQ(client->RemoteText(), "127.0.0.1 : " + std::to_string(v4.Port));
  client->Terminate();
  timeval timeout{5, 0};
  ::setsockopt(v4.Client.Get(), SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  char byte;
  EXPECT_LT(::recv(v4.Client.Get(), &byte, 1, 0), 0) << "the terminated socket reports an error";
  EXPECT_EQ(errno, ECONNABORTED);
  list.Reload();
  EXPECT_LT(CountWithLocalPort(list, v4.Port, atIPv4), 2);
  EXPECT_EQ(CountWithLocalPort(list, v6.Port, atIPv6), 2);
}

TEST(NetStatEntryTexts, StateProtocolAndEndpointTexts) {
  struct {
    uint32_t State;
    const char* Text;
  } const states[] = {{0, ""},           {1, "CLOSED"},      {2, "LISTEN"},     {3, "SYN_SENT"},
                      {4, "SYN_RECEIVED"}, {5, "ESTABLISHED"}, {6, "FIN_WAIT_1"}, {7, "FIN_WAIT_2"},
                      {8, "CLOSE_WAIT"}, {9, "CLOSING"},     {10, "LAST_ACK"},  {11, "TIME_WAIT"},
                      {12, "DELETE_TCB"}, {13, ""},          {0xFFFFFFFF, ""}};
  TNetStatEntry entry;
  for (const auto& state : states) {
    entry.FState = state.State;
    EXPECT_EQ(entry.StateText(), state.Text) << state.State;
  }
  entry.FLocalAddr = TIPAddr::Create(V4("192.168.1.5"));
  entry.FLocalPort = htons(443);
  EXPECT_EQ(entry.LocalText(), "192.168.1.5 : 443");
  entry.FProtocol = kProtocolUdp;
  EXPECT_EQ(entry.ProtocolText(), "UDP");
  entry.FProtocol = 2;
  EXPECT_THROW(entry.ProtocolText(), EAssertionFailed);
  auto copy = TNetStatEntry::CreateCopy(entry);
  EXPECT_EQ(copy->LocalText(), entry.LocalText());
}

TEST(FindAdapterByDriverName, OneBasedPositionOrMinusOne) {
  TTcpAdapterList list;
  list.AdapterCount = 2;
  list.AdapterNameList[0] = MakeAdapterName("eth0");
  list.AdapterNameList[1] = MakeAdapterName("eth1");
  EXPECT_EQ(FindAdapter(list, MakeAdapterName("eth0")), 1);
  EXPECT_EQ(FindAdapter(list, MakeAdapterName("eth1")), 2);
  EXPECT_EQ(FindAdapter(list, MakeAdapterName("eth")), -1);
  EXPECT_EQ(FindAdapter(list, MakeAdapterName("eth2")), -1);
}

}  // namespace
