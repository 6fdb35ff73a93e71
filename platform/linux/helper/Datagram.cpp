#include "platform/linux/helper/Datagram.h"

#include <sys/socket.h>

#include <cerrno>
#include <cstring>

TDatagram ReceiveDatagram(int socket, uint8_t* buffer, size_t size, size_t maxFds) {
  iovec piece{buffer, size};
  std::vector<char> control(CMSG_SPACE(sizeof(int) * maxFds));
  msghdr message{};
  message.msg_iov = &piece;
  message.msg_iovlen = 1;
  message.msg_control = control.data();
  message.msg_controllen = control.size();
  TDatagram datagram;
  do {
    datagram.Length = ::recvmsg(socket, &message, MSG_CMSG_CLOEXEC);
  } while (datagram.Length < 0 && errno == EINTR);
  datagram.Error = datagram.Length < 0 ? errno : 0;
  if (datagram.Length < 0) return datagram;
  for (cmsghdr* header = CMSG_FIRSTHDR(&message); header; header = CMSG_NXTHDR(&message, header)) {
    if (header->cmsg_level != SOL_SOCKET || header->cmsg_type != SCM_RIGHTS) continue;
    const size_t count = (header->cmsg_len - CMSG_LEN(0)) / sizeof(int);
    for (size_t i = 0; i < count; ++i) {
      int fd;
      std::memcpy(&fd, CMSG_DATA(header) + i * sizeof(int), sizeof fd);
      datagram.Fds.push_back(fd);
    }
  }
  datagram.Cut = (message.msg_flags & (MSG_TRUNC | MSG_CTRUNC)) != 0;
  return datagram;
}
