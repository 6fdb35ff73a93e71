#include "platform/linux/Interception.h"

#include <net/if.h>
#include <unistd.h>

#include <stdexcept>

#include "engine/PacketDriver.h"

TInterception::TInterception(TInterceptionParts parts, std::function<void()> onFrames) : FParts(std::move(parts)) {
  char name[IF_NAMESIZE] = {};
  FAdapterName = ::if_indextoname(FParts.Adapter, name) ? name : std::to_string(FParts.Adapter);
  // Woken by a removal as by a frame, the reader finds out at once.
  FLinkWatch = std::make_unique<TLinkWatch>(std::vector<TLinkWatch::TDevice>{
      {FParts.Adapter, FAdapterName}, {FParts.In.Index(), FParts.In.Name()}, {FParts.Out.Index(), FParts.Out.Name()}});
  FPoller = std::make_unique<TFramePoller>(std::vector<int>{FParts.In.Fd(), FParts.Out.Fd(), FLinkWatch->Fd()},
                                           std::move(onFrames));
}

size_t TInterception::Read(const iovec* pieces, int count, uint32_t& deviceFlag) {
  bool inFirst = FReadInFirst.load(std::memory_order_relaxed);
  FReadInFirst.store(!inFirst, std::memory_order_relaxed);
  TTapDevice* order[2] = {&FParts.In, &FParts.Out};
  if (!inFirst) std::swap(order[0], order[1]);
  for (TTapDevice* tap : order) {
    size_t length = 0;
    try {
      length = tap->Read(pieces, count);
    } catch (const std::exception& error) {
      throw EAdapterLost(LostText(error.what()));
    }
    if (length > 0) {
      deviceFlag = tap == &FParts.In ? kPacketFlagIncoming : kPacketFlagOutgoing;
      return length;
    }
  }
  // Asked only when nothing waits: once per wake-up, not once per frame.
  const std::string vanished = FLinkWatch->Vanished();
  if (!vanished.empty()) throw EAdapterLost(LostText(vanished + " was removed"));
  return 0;
}

std::string TInterception::LostText(const std::string& why) const {
  return "The network adapter " + FAdapterName + " is no longer available (" + why + ")";
}

void TInterception::Flush() {
  FParts.In.Drain();
  FParts.Out.Drain();
}

void TInterception::Select(const TKernelSelection& selection) {
  std::lock_guard guard(FMapsMutex);
  FParts.Maps.Write(selection);
}

TKernelPassedCounts TInterception::Passed() const {
  std::lock_guard guard(FMapsMutex);
  return FParts.Maps.Passed();
}
