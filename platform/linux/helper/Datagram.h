#pragma once
// One message on the helper's SOCK_SEQPACKET socket pair, with the file
// descriptors sent along with it: what both ends read the same way.

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <vector>

struct TDatagram {
  ssize_t Length = 0;    // 0 when the other end has closed, -1 on failure
  int Error = 0;         // errno when Length is -1
  bool Cut = false;      // the message or its descriptors did not fit
  std::vector<int> Fds;  // close-on-exec; the caller owns them
};

// Reads one datagram into buffer, taking at most maxFds descriptors;
// retried when a signal interrupts it.
TDatagram ReceiveDatagram(int socket, uint8_t* buffer, size_t size, size_t maxFds);
