#include "platform/linux/Interception.h"

#include <net/if.h>
#include <unistd.h>

#include <stdexcept>

#include "engine/PacketDriver.h"

TInterception::TInterception(TInterceptionParts parts, std::function<void()> onFrames) : FParts(std::move(parts)) {
  char name[IF_NAMESIZE] = {};
  FAdapterName = ::if_indextoname(FParts.Adapter, name) ? name : std::to_string(FParts.Adapter);
  FInRing = std::make_unique<TFrameRing>(std::move(FParts.InRing));
  FOutRing = std::make_unique<TFrameRing>(std::move(FParts.OutRing));
  if (FParts.QueueFlags & kModeQueueSent)
    FStackPort = std::make_shared<TPacketSocket>(std::move(FParts.StackPort), FParts.Adapter);
  // Woken by a removal as by a frame, the reader finds out at once.
  FLinkWatch = std::make_unique<TLinkWatch>(std::vector<TLinkWatch::TDevice>{
      {FParts.Adapter, FAdapterName}, {FParts.In.Index(), FParts.In.Name()}, {FParts.Out.Index(), FParts.Out.Name()}});
  // The TAPs hold only the long frames the rings do not take: they are
  // read only after they signalled.
  FPoller = std::make_unique<TFramePoller>(std::vector<int>{FLinkWatch->Fd()}, std::move(onFrames),
                                           std::vector<int>{FInRing->Fd(), FOutRing->Fd()},
                                           std::vector<int>{FParts.In.Fd(), FParts.Out.Fd()});
}

size_t TInterception::Read(const iovec* pieces, int count, uint32_t& deviceFlag) {
  bool inFirst = FReadInFirst.load(std::memory_order_relaxed);
  FReadInFirst.store(!inFirst, std::memory_order_relaxed);
  for (int turn = 0; turn < 2; ++turn) {
    const bool in = (turn == 0) == inFirst;
    const size_t length =
        in ? ReadFrom(*FInRing, FParts.In, kInTap, pieces, count) : ReadFrom(*FOutRing, FParts.Out, kOutTap, pieces, count);
    if (length > 0) {
      deviceFlag = in ? kPacketFlagIncoming : kPacketFlagOutgoing;
      return length;
    }
  }
  // The rings say again when the next frame comes.
  try {
    FPoller->Rearm();
  } catch (const std::exception& error) {
    throw EAdapterLost(LostText(error.what()));
  }
  // Asked only when nothing waits: once per wake-up, not once per frame.
  const std::string vanished = FLinkWatch->Vanished();
  if (!vanished.empty()) throw EAdapterLost(LostText(vanished + " was removed"));
  return 0;
}

size_t TInterception::ReadFrom(TFrameRing& ring, TTapDevice& tap, size_t noted, const iovec* pieces, int count) {
  if (const size_t length = ring.Read(pieces, count)) return length;
  if (!FPoller->TakeArrival(noted)) return 0;
  try {
    const size_t length = tap.Read(pieces, count);
    if (length > 0) FPoller->KeepArrival(noted);
    return length;
  } catch (const std::exception& error) {
    throw EAdapterLost(LostText(error.what()));
  }
}

std::string TInterception::LostText(const std::string& why) const {
  return "The network adapter " + FAdapterName + " is no longer available (" + why + ")";
}

void TInterception::Flush() {
  FInRing->Drain();
  FOutRing->Drain();
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
