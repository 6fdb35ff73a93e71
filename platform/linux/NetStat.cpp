#include "platform/linux/NetStat.h"

#include <arpa/inet.h>
#include <linux/inet_diag.h>
#include <linux/sock_diag.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "common/Assertion.h"
#include "platform/linux/Netlink.h"
#include "platform/linux/PrivilegedSteps.h"

namespace {

const char* const kStateNames[] = {"",           "CLOSED",     "LISTEN",   "SYN_SENT", "SYN_RECEIVED",
                                   "ESTABLISHED", "FIN_WAIT_1", "FIN_WAIT_2", "CLOSE_WAIT", "CLOSING",
                                   "LAST_ACK",   "TIME_WAIT",  "DELETE_TCB"};

std::string EndpointText(const TIPAddr& address, uint16_t portNetworkOrder) {
  return IPAddrToStr(address) + " : " + std::to_string(ntohs(portNetworkOrder));
}

TIPAddr DiagAddress(uint8_t family, const __be32 (&words)[4]) {
  return TIPAddr::FromBytes(family == AF_INET6 ? atIPv6 : atIPv4, reinterpret_cast<const uint8_t*>(words));
}

void ReadFamily(TNetlinkSocket& socket, uint8_t family, std::vector<std::unique_ptr<TNetStatEntry>>& entries) {
  TNetlinkMessage request(SOCK_DIAG_BY_FAMILY, 0);
  inet_diag_req_v2 query{};
  query.sdiag_family = family;
  query.sdiag_protocol = IPPROTO_TCP;
  query.idiag_states = 1U << TCP_ESTABLISHED;
  request.Append(query);
  socket.Dump(request, [&](const nlmsghdr& header) {
    if (header.nlmsg_type != SOCK_DIAG_BY_FAMILY) return;
    const auto& socketInfo = MessageRecord<inet_diag_msg>(header);
    if (socketInfo.idiag_state != TCP_ESTABLISHED) return;
    auto entry = std::make_unique<TNetStatEntry>();
    entry->FProtocol = kProtocolTcp;
    entry->FLocalAddr = DiagAddress(family, socketInfo.id.idiag_src);
    entry->FRemoteAddr = DiagAddress(family, socketInfo.id.idiag_dst);
    entry->FLocalPort = socketInfo.id.idiag_sport;
    entry->FRemotePort = socketInfo.id.idiag_dport;
    entry->FState = kTcpStateEstablished;
    entries.push_back(std::move(entry));
  });
}

}  // namespace

std::string TNetStatEntry::ProtocolText() const {
  OT_ASSERT(FProtocol == kProtocolTcp || FProtocol == kProtocolUdp, "NetStat", "unknown protocol");
  return FProtocol == kProtocolTcp ? "TCP" : "UDP";
}

std::string TNetStatEntry::LocalText() const { return EndpointText(FLocalAddr, FLocalPort); }
std::string TNetStatEntry::RemoteText() const { return EndpointText(FRemoteAddr, FRemotePort); }

std::string TNetStatEntry::StateText() const {
  return FState >= 1 && FState <= kTcpStateDeleteTcb ? kStateNames[FState] : "";
}

void TNetStatEntry::Terminate() const {
  OT_ASSERT(!IsIPv6(), "NetStat", "IPv6 connections cannot be terminated");
  TTcpConnection connection;
  std::memcpy(&connection.LocalAddress, FLocalAddr.Bytes(), 4);
  std::memcpy(&connection.RemoteAddress, FRemoteAddr.Bytes(), 4);
  connection.LocalPort = FLocalPort;
  connection.RemotePort = FRemotePort;
  TerminateTcpConnection(connection);
}

void TNetStat::Reload() {
  FEntries.clear();
  try {
    TNetlinkSocket socket(NETLINK_SOCK_DIAG);
    ReadFamily(socket, AF_INET, FEntries);
    ReadFamily(socket, AF_INET6, FEntries);
  } catch (const std::exception&) {
    // Not reported: the list shows what could be read.
  }
}
