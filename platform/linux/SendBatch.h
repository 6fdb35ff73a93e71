#pragma once
// Frames waiting to leave through one packet socket: copies of them, handed
// to the kernel with one sendmmsg() instead of one sendmsg() each.
#include <sys/socket.h>
#include <sys/uio.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/PacketDriver.h"

class TSendBatch {
 public:
  static constexpr size_t kCapacity = 64;

  TSendBatch();
  bool Full() const { return FCount == kCapacity; }
  bool Empty() const { return FCount == 0; }
  // Copies a frame of at most kMaxFrameData bytes; the batch must not be full.
  void Add(const iovec& frame);
  // Sends every waiting frame without waiting and empties the batch. Returns
  // how many of them the kernel refused; those are lost, as a refused
  // single send is.
  size_t Send(int socket);

 private:
  std::vector<uint8_t> FBytes;
  std::array<iovec, kCapacity> FFrames{};
  std::array<mmsghdr, kCapacity> FMessages{};
  size_t FCount = 0;
};
