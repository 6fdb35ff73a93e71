// lvConnections over the machine's real connection table: two hosts in
// network namespaces joined by a veth pair, TCP connections between them,
// and the list seen from the client's host.
#include <QAction>
#include <QTest>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include "AboutTestSupport.h"
#include "common/FileDescriptor.h"
#include "tests/platform/linux/NetnsLab.h"
#include "ui/about/ConnectionListView.h"
#include "ui/about/NetStatConnectionSource.h"

namespace {

sockaddr_storage SocketAddress(int family, const char* address, uint16_t port, socklen_t& length) {
  sockaddr_storage storage{};
  if (family == AF_INET) {
    auto* v4 = reinterpret_cast<sockaddr_in*>(&storage);
    v4->sin_family = AF_INET;
    v4->sin_port = htons(port);
    ::inet_pton(AF_INET, address, &v4->sin_addr);
    length = sizeof *v4;
  } else {
    auto* v6 = reinterpret_cast<sockaddr_in6*>(&storage);
    v6->sin6_family = AF_INET6;
    v6->sin6_port = htons(port);
    ::inet_pton(AF_INET6, address, &v6->sin6_addr);
    length = sizeof *v6;
  }
  return storage;
}

uint16_t LocalPort(const TFileDescriptor& socket) {
  sockaddr_storage storage{};
  socklen_t length = sizeof storage;
  ::getsockname(socket.Get(), reinterpret_cast<sockaddr*>(&storage), &length);
  return ntohs(storage.ss_family == AF_INET ? reinterpret_cast<sockaddr_in*>(&storage)->sin_port
                                            : reinterpret_cast<sockaddr_in6*>(&storage)->sin6_port);
}

// A TCP connection from the client host to a listener on the server host.
struct TConnectionBetweenHosts {
  TFileDescriptor Listener, Client, Server;
  uint16_t ClientPort = 0;

  TConnectionBetweenHosts(int family, const std::string& serverNs, const char* serverAddress,
                          const std::string& clientNs) {
    socklen_t length = 0;
    sockaddr_storage address = SocketAddress(family, serverAddress, 0, length);
    auto* any = reinterpret_cast<sockaddr*>(&address);
    {
      TNetnsEnter server(serverNs);
      Listener = TFileDescriptor(::socket(family, SOCK_STREAM | SOCK_CLOEXEC, 0), "listener");
      if (::bind(Listener.Get(), any, length) < 0 || ::listen(Listener.Get(), 4) < 0) ThrowSystemError("listen");
      ::getsockname(Listener.Get(), any, &length);
    }
    {
      TNetnsEnter client(clientNs);
      Client = TFileDescriptor(::socket(family, SOCK_STREAM | SOCK_CLOEXEC, 0), "client");
      timeval timeout{10, 0};
      ::setsockopt(Client.Get(), SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
      if (::connect(Client.Get(), any, length) < 0) ThrowSystemError("connect");
    }
    Server = TFileDescriptor(::accept4(Listener.Get(), nullptr, nullptr, SOCK_CLOEXEC), "accept");
    ClientPort = LocalPort(Client);
  }
};

class ConnectionListNetnsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    OT_REQUIRE_NETNS();
    Lab = std::make_unique<TNetnsLab>();
    ClientNs = Lab->AddNamespace("cli");
    ServerNs = Lab->AddNamespace("srv");
    Lab->AddVeth(ClientNs, "otc0", ServerNs, "ots0");
    Lab->Run(ClientNs, "ip addr add 192.0.2.1/24 dev otc0");
    Lab->Run(ServerNs, "ip addr add 192.0.2.2/24 dev ots0");
    Lab->Run(ClientNs, "ip -6 addr add 2001:db8:9::1/64 dev otc0 nodad");
    Lab->Run(ServerNs, "ip -6 addr add 2001:db8:9::2/64 dev ots0 nodad");
  }

  // Refreshes the list seen from the client host.
  void Refresh(TConnectionListView& view) {
    TNetnsEnter client(ClientNs);
    view.RefreshConnections();
  }

  static int RowOfLocalPort(const TConnectionListView& view, uint16_t port) {
    for (int row = 0; row < view.topLevelItemCount(); ++row)
      if (ntohs(view.RowEntry(row).FLocalPort) == port) return row;
    return -1;
  }

  std::unique_ptr<TNetnsLab> Lab;
  std::string ClientNs, ServerNs;
};

}  // namespace

TEST_F(ConnectionListNetnsTest, ARowAppearsKeepsItsSelectionAndGoesAfterTerminateSelected) {
  TRecordingMessageBoxes boxes;
  TNetStatConnectionSource source;
  TConnectionListView view(source);
  view.SetDisplayConnections(true);

  TConnectionBetweenHosts first(AF_INET, ServerNs, "192.0.2.2", ClientNs);
  Refresh(view);
  ASSERT_EQ(view.topLevelItemCount(), 1) << "the client host sees its one end of the connection";
  EXPECT_EQ(view.topLevelItem(0)->text(0), QStringLiteral("TCP"));
  EXPECT_EQ(view.topLevelItem(0)->text(1).toStdString(), "192.0.2.1 : " + std::to_string(first.ClientPort));
  EXPECT_EQ(view.topLevelItem(0)->text(2).toStdString(), "192.0.2.2 : " + std::to_string(LocalPort(first.Listener)));
  EXPECT_EQ(view.topLevelItem(0)->text(3), QStringLiteral("ESTABLISHED"));
  view.topLevelItem(0)->setSelected(true);

  TConnectionBetweenHosts second(AF_INET, ServerNs, "192.0.2.2", ClientNs);
  Refresh(view);
  ASSERT_EQ(view.topLevelItemCount(), 2);
  EXPECT_EQ(RowOfLocalPort(view, first.ClientPort), 0) << "the first connection keeps its row";
  EXPECT_EQ(RowOfLocalPort(view, second.ClientPort), 1) << "the new one comes last";
  EXPECT_TRUE(view.topLevelItem(0)->isSelected());
  EXPECT_FALSE(view.topLevelItem(1)->isSelected());

  ASSERT_TRUE(view.ActionTerminateConnection()->isEnabled());
  {
    TNetnsEnter client(ClientNs);
    view.ActionTerminateConnection()->trigger();
  }
  EXPECT_TRUE(boxes.Shown.empty()) << boxes.Shown.front().Text;
  for (int attempt = 0; attempt < 100 && RowOfLocalPort(view, first.ClientPort) >= 0; ++attempt) {
    QTest::qWait(50);
    Refresh(view);
  }
  EXPECT_EQ(RowOfLocalPort(view, first.ClientPort), -1) << "the terminated connection is gone";
  EXPECT_EQ(RowOfLocalPort(view, second.ClientPort), 0) << "the other one stays";
}

TEST_F(ConnectionListNetnsTest, TerminateAllCutsTheIPv4ConnectionsAndNamesEachIPv6One) {
  TRecordingMessageBoxes boxes;
  TNetStatConnectionSource source;
  TConnectionListView view(source);
  view.SetDisplayConnections(true);

  TConnectionBetweenHosts v6a(AF_INET6, ServerNs, "2001:db8:9::2", ClientNs);
  TConnectionBetweenHosts v4(AF_INET, ServerNs, "192.0.2.2", ClientNs);
  TConnectionBetweenHosts v6b(AF_INET6, ServerNs, "2001:db8:9::2", ClientNs);
  Refresh(view);
  ASSERT_EQ(view.topLevelItemCount(), 3);
  {
    TNetnsEnter client(ClientNs);
    view.ActionTerminateAll()->trigger();
  }
  EXPECT_EQ(boxes.Texts("error"), std::vector<std::string>(2, "IPv6 connections cannot be terminated"));
  for (int attempt = 0; attempt < 100 && RowOfLocalPort(view, v4.ClientPort) >= 0; ++attempt) {
    QTest::qWait(50);
    Refresh(view);
  }
  EXPECT_EQ(RowOfLocalPort(view, v4.ClientPort), -1);
  EXPECT_GE(RowOfLocalPort(view, v6a.ClientPort), 0);
  EXPECT_GE(RowOfLocalPort(view, v6b.ClientPort), 0);
}
