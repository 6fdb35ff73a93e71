#pragma once
// A memory-mapped receive ring (TPACKET_V2) on a packet socket that watches
// the frames a TAP device transmits, that is the frames the steal programs
// redirect into it. Reading a frame is a copy out of shared memory, without
// a system call; the kernel fills the ring while the reader is busy.
//
// Frames up to kRingFrameBytes take the ring and the TAP's own queue drops
// them; longer ones (jumbo MTU) skip the ring and wait in the TAP as before,
// so no frame is ever cut. TPACKET_V2 rather than V3: a V3 block reaches the
// reader only when it is full or its timer retires it, which would add up to
// a millisecond to a lone frame.
#include <sys/uio.h>

#include <cstddef>
#include <cstdint>

#include "common/FileDescriptor.h"

class TTapDevice;

// The longest frame that travels through the ring, without the VLAN tag the
// kernel may carry beside it (which the ring puts back in place).
inline constexpr uint32_t kRingFrameBytes = 1856;

// With the privileges: a packet socket bound to the TAP, its ring set up and
// filled from now on, and the TAP told to keep only the frames the ring does
// not take. The holder maps the ring with TFrameRing.
TFileDescriptor OpenFrameRingSocket(TTapDevice& tap);

class TFrameRing {
 public:
  // Maps the ring of a socket from OpenFrameRingSocket; needs no privileges.
  explicit TFrameRing(TFileDescriptor socket);
  ~TFrameRing();
  TFrameRing(const TFrameRing&) = delete;
  TFrameRing& operator=(const TFrameRing&) = delete;

  int Fd() const { return FSocket.Get(); }
  // Copies the oldest waiting frame into the pieces and hands its slot back
  // to the kernel. Returns its length, 0 when none waits.
  size_t Read(const iovec* pieces, int count);
  void Drain();

 private:
  TFileDescriptor FSocket;
  uint8_t* FMap = nullptr;
  uint32_t FNext = 0;  // the slot the kernel fills after the one read last
};
