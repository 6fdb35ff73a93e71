#pragma once
// Watches the kernel's link table for the removal of a few devices (an
// intercepted adapter and its TAPs): `ip link del`, a driver unloaded, a USB
// adapter pulled out. Its descriptor becomes readable on every link change,
// so the frame poller can watch it next to the TAPs; Vanished reads what
// came and says which device went. Belongs to the network namespace of the
// thread that creates it.
#include <cstdint>
#include <string>
#include <vector>

#include "common/FileDescriptor.h"

class TLinkWatch {
 public:
  struct TDevice {
    uint32_t Index;
    std::string Name;
  };
  explicit TLinkWatch(std::vector<TDevice> devices);

  int Fd() const { return FSocket.Get(); }
  // Reads the changes that wait, without blocking; the name of a watched
  // device that is gone (also one that went earlier), else empty.
  std::string Vanished();

 private:
  void Read();
  void CheckStillThere();  // when the kernel dropped changes we did not read

  TFileDescriptor FSocket;
  std::vector<TDevice> FDevices;
  std::string FVanished;
};
