#include "platform/linux/Interception.h"

#include <net/if.h>
#include <unistd.h>

#include <stdexcept>

#include "engine/PacketDriver.h"
#include "platform/linux/HookOwners.h"
#include "platform/linux/InterceptionTag.h"
#include "platform/linux/LinkSettings.h"

TInterception::TInterception(uint32_t adapterIndex, uint32_t queueFlags, TAttachKind kind,
                             std::function<void()> onFrames)
    : FQueueFlags(queueFlags), FIn(kInTapTemplate), FOut(kOutTapTemplate) {
  if (queueFlags == 0 || (queueFlags & ~kModeIntercept) != 0)
    throw std::invalid_argument("adapter mode must be 1, 2 or 3 to intercept, got " + std::to_string(queueFlags));
  // Two interceptions of one adapter would steal each other's re-injected
  // frames for ever.
  RefuseIfInterceptedElsewhere(adapterIndex, {});
  bool tcx = kind == TAttachKind::Tcx;
  TBpfProgram reinject = LoadReinjectProgram(adapterIndex, TTcAttachPoint::Ingress, tcx);
  std::optional<TBpfProgram> ingress, egress;
  if (queueFlags & kModeQueueReceived) ingress.emplace(LoadStealProgram(FIn.Index(), TTcAttachPoint::Ingress, tcx));
  if (queueFlags & kModeQueueSent) egress.emplace(LoadStealProgram(FOut.Index(), TTcAttachPoint::Egress, tcx));
  TInterceptionTag tag{adapterIndex, static_cast<int32_t>(::getpid()), {reinject.Id()}};
  for (const auto& program : {&ingress, &egress})
    if (*program) tag.Programs.push_back((*program)->Id());
  // The tag goes on before the programs do, so that whoever finds them on
  // the adapter also finds whose they are.
  SetLinkAlias(FIn.Index(), FormatInterceptionTag(tag));
  SetLinkAlias(FOut.Index(), FormatInterceptionTag(tag));
  if (kind == TAttachKind::ClsBpf) RemoveStaleClsBpfFilters(adapterIndex);
  // The way back first, so that the first stolen frame can already return.
  FReinjectHook.emplace(kind, FIn.Index(), TTcAttachPoint::Ingress, reinject);
  try {
    if (ingress) FIngressHook.emplace(kind, adapterIndex, TTcAttachPoint::Ingress, *ingress);
    if (egress) FEgressHook.emplace(kind, adapterIndex, TTcAttachPoint::Egress, *egress);
  } catch (const std::exception&) {
    // Another instance's cls_bpf filter may have taken the hook meanwhile.
    RefuseIfInterceptedElsewhere(adapterIndex, tag.Programs);
    throw;
  }
  // Another instance may have attached between the first look and ours;
  // then both see each other and neither keeps the adapter.
  RefuseIfInterceptedElsewhere(adapterIndex, tag.Programs);
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
