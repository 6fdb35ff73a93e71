#include "platform/linux/LinkWatch.h"

#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <sys/socket.h>

#include <cerrno>

TLinkWatch::TLinkWatch(std::vector<TDevice> devices)
    : FSocket(::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC | SOCK_NONBLOCK, NETLINK_ROUTE), "link watch socket"),
      FDevices(std::move(devices)) {
  sockaddr_nl address{};
  address.nl_family = AF_NETLINK;
  address.nl_groups = RTMGRP_LINK;
  if (::bind(FSocket.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address) < 0)
    ThrowSystemError("watching the link table");
  // A device removed before the subscription took effect sends nothing.
  CheckStillThere();
}

std::string TLinkWatch::Vanished() {
  if (FVanished.empty()) Read();
  return FVanished;
}

void TLinkWatch::Read() {
  alignas(nlmsghdr) char buffer[16384];
  for (;;) {
    const ssize_t length = ::recv(FSocket.Get(), buffer, sizeof buffer, 0);
    if (length < 0) {
      if (errno == EINTR) continue;
      if (errno == ENOBUFS) {
        CheckStillThere();
        continue;
      }
      return;  // EAGAIN: everything read
    }
    int remaining = static_cast<int>(length);
    for (auto* header = reinterpret_cast<nlmsghdr*>(buffer); NLMSG_OK(header, remaining);
         header = NLMSG_NEXT(header, remaining)) {
      if (header->nlmsg_type != RTM_DELLINK || header->nlmsg_len < NLMSG_LENGTH(sizeof(ifinfomsg))) continue;
      const auto* link = static_cast<const ifinfomsg*>(NLMSG_DATA(header));
      for (const TDevice& device : FDevices)
        if (static_cast<uint32_t>(link->ifi_index) == device.Index && FVanished.empty()) FVanished = device.Name;
    }
  }
}

void TLinkWatch::CheckStillThere() {
  char name[IF_NAMESIZE];
  for (const TDevice& device : FDevices)
    if (FVanished.empty() && ::if_indextoname(device.Index, name) == nullptr) FVanished = device.Name;
}
