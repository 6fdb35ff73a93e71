#pragma once
// Everything that takes one adapter's frames away from the kernel's normal
// path while it is intercepted:
//  - the "in" TAP, where frames that arrive from the wire wait to be read,
//    and whose own receive path hands written frames to the local stack as if
//    they had arrived on the adapter;
//  - the "out" TAP, where frames that the local stack sends wait to be read;
//  - the programs on the adapter's hooks that steal unmarked frames into the
//    TAPs, and the one on the "in" TAP that redirects written frames back;
//  - the receive rings where the frames the TAPs transmit are read;
//  - the thread that signals when frames wait.
// The kernel objects come built (TInterceptionParts): in this process when it
// runs as root, else by the helper that holds the capabilities.
#include <sys/uio.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/linux/FramePoller.h"
#include "platform/linux/FrameRing.h"
#include "platform/linux/InterceptionParts.h"
#include "platform/linux/LinkWatch.h"
#include "platform/linux/PacketSocket.h"

class TInterception {
 public:
  TInterception(TInterceptionParts parts, std::function<void()> onFrames);

  uint32_t QueueFlags() const { return FParts.QueueFlags; }
  // Reads one waiting frame from either TAP, taking turns so that neither
  // direction starves the other. Returns its length (0 when none waits) and
  // which TAP it came from as a device flag (1 out, 2 in). Throws
  // EAdapterLost once the adapter or one of the TAPs has gone away.
  size_t Read(const iovec* pieces, int count, uint32_t& deviceFlag);
  // Hands a frame to the local stack as if it had arrived on the adapter.
  bool DeliverToStack(const iovec* pieces, int count) { return FParts.In.Write(pieces, count); }
  // Where frames for the local stack may go instead, several in one call:
  // nullptr when the adapter's egress program that turns them round is not
  // there (only received frames are intercepted).
  const std::shared_ptr<TPacketSocket>& StackPort() const { return FStackPort; }
  void Flush();
  bool OwnsDevice(uint32_t index) const { return index == FParts.In.Index() || index == FParts.Out.Index(); }
  // From now on the steal programs let pass, themselves, the frames that
  // the selection does not select. Throws when the kernel refuses a write.
  void Select(const TKernelSelection& selection);
  // What the steal programs let pass so far.
  TKernelPassedCounts Passed() const;

 private:
  std::string LostText(const std::string& why) const;
  // One direction's next frame: from its ring, else a long one from its TAP
  // if the TAP signalled (noted: its place in the poller's noted list).
  size_t ReadFrom(TFrameRing& ring, TTapDevice& tap, size_t noted, const iovec* pieces, int count);
  static constexpr size_t kInTap = 0;
  static constexpr size_t kOutTap = 1;

  TInterceptionParts FParts;
  std::unique_ptr<TFrameRing> FInRing;
  std::unique_ptr<TFrameRing> FOutRing;
  std::shared_ptr<TPacketSocket> FStackPort;
  mutable std::mutex FMapsMutex;  // guards FParts.Maps
  std::atomic<bool> FReadInFirst{true};
  std::string FAdapterName;
  std::unique_ptr<TLinkWatch> FLinkWatch;
  std::unique_ptr<TFramePoller> FPoller;  // last: stops first
};
