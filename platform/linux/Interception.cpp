#include "platform/linux/Interception.h"

#include <net/if.h>

#include <stdexcept>

#include "engine/PacketDriver.h"

TInterception::TInterception(uint32_t adapterIndex, uint32_t queueFlags, TAttachKind kind,
                             std::function<void()> onFrames)
    : FQueueFlags(queueFlags), FIn("otin%d"), FOut("otout%d") {
  if (queueFlags == 0 || (queueFlags & ~kModeIntercept) != 0)
    throw std::invalid_argument("adapter mode must be 1, 2 or 3 to intercept, got " + std::to_string(queueFlags));
  bool tcx = kind == TAttachKind::Tcx;
  // The way back first, so that the first stolen frame can already return.
  FReinjectHook.emplace(kind, FIn.Index(), TTcAttachPoint::Ingress,
                        LoadReinjectProgram(adapterIndex, TTcAttachPoint::Ingress, tcx));
  if (queueFlags & kModeQueueReceived)
    FIngressHook.emplace(kind, adapterIndex, TTcAttachPoint::Ingress,
                         LoadStealProgram(FIn.Index(), TTcAttachPoint::Ingress, tcx));
  if (queueFlags & kModeQueueSent)
    FEgressHook.emplace(kind, adapterIndex, TTcAttachPoint::Egress,
                        LoadStealProgram(FOut.Index(), TTcAttachPoint::Egress, tcx));
  char name[IF_NAMESIZE] = {};
  FAdapterName = ::if_indextoname(adapterIndex, name) ? name : std::to_string(adapterIndex);
  // Woken by a removal as by a frame, the reader finds out at once.
  FLinkWatch = std::make_unique<TLinkWatch>(std::vector<TLinkWatch::TDevice>{
      {adapterIndex, FAdapterName}, {FIn.Index(), FIn.Name()}, {FOut.Index(), FOut.Name()}});
  FPoller = std::make_unique<TFramePoller>(std::vector<int>{FIn.Fd(), FOut.Fd(), FLinkWatch->Fd()},
                                           std::move(onFrames));
}

size_t TInterception::Read(const iovec* pieces, int count, uint32_t& deviceFlag) {
  bool inFirst = FReadInFirst.load(std::memory_order_relaxed);
  FReadInFirst.store(!inFirst, std::memory_order_relaxed);
  TTapDevice* order[2] = {&FIn, &FOut};
  if (!inFirst) std::swap(order[0], order[1]);
  for (TTapDevice* tap : order) {
    size_t length = 0;
    try {
      length = tap->Read(pieces, count);
    } catch (const std::exception& error) {
      throw EAdapterLost(LostText(error.what()));
    }
    if (length > 0) {
      deviceFlag = tap == &FIn ? kPacketFlagIncoming : kPacketFlagOutgoing;
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
  FIn.Drain();
  FOut.Drain();
}
