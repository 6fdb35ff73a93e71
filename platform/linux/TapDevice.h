#pragma once
// A TAP device owned by this process: not persistent, no address (IPv6
// address generation off, so it sends nothing of its own), up. It exists as
// long as its file descriptor is open, so it vanishes with the process
// whatever way the process ends.
#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/uio.h>

#include "common/FileDescriptor.h"

class TTapDevice {
 public:
  // nameTemplate may hold "%d", which the kernel replaces by a free number.
  explicit TTapDevice(const std::string& nameTemplate);
  // Takes over the descriptor of a TAP device that someone else created and
  // set up (the helper); asks the kernel which device it is.
  explicit TTapDevice(TFileDescriptor fd);

  TTapDevice(TTapDevice&&) = default;
  TTapDevice& operator=(TTapDevice&&) = default;

  const std::string& Name() const { return FName; }
  uint32_t Index() const { return FIndex; }
  int Fd() const { return FFd.Get(); }

  // Non-blocking read of one frame into the given pieces; returns the frame's
  // length, 0 when none waits. A frame longer than the pieces is cut. Throws
  // when the device can no longer be read (it was removed).
  size_t Read(const iovec* pieces, int count);
  // Hands one frame to the device's receive path. False when the kernel refused it.
  bool Write(const iovec* pieces, int count);
  // Discards every waiting frame.
  void Drain();

 private:
  TFileDescriptor FFd;
  std::string FName;
  uint32_t FIndex = 0;
};
