#include "platform/linux/InterceptionParts.h"

#include <optional>
#include <stdexcept>
#include <string>

#include "engine/PacketDriver.h"
#include "platform/linux/BpfProgram.h"
#include "platform/linux/FrameRing.h"
#include "platform/linux/HookOwners.h"
#include "platform/linux/InterceptionTag.h"
#include "platform/linux/LinkSettings.h"
#include "platform/linux/PacketSocket.h"

TInterceptionParts OpenInterceptionParts(uint32_t adapterIndex, uint32_t queueFlags, TAttachKind kind,
                                         int32_t owner) {
  if (queueFlags == 0 || (queueFlags & ~kModeIntercept) != 0)
    throw std::invalid_argument("adapter mode must be 1, 2 or 3 to intercept, got " + std::to_string(queueFlags));
  // Two interceptions of one adapter would steal each other's re-injected
  // frames for ever.
  RefuseIfInterceptedElsewhere(adapterIndex, {});
  TInterceptionParts parts(adapterIndex, queueFlags, kind, TTapDevice(kInTapTemplate), TTapDevice(kOutTapTemplate));
  // The rings fill before the first frame is stolen.
  parts.InRing = OpenFrameRingSocket(parts.In);
  parts.OutRing = OpenFrameRingSocket(parts.Out);
  parts.StackPort = std::move(TPacketSocket(adapterIndex, kDeliverMark)).Release();
  const bool tcx = kind == TAttachKind::Tcx;
  TBpfProgram reinject = LoadReinjectProgram(adapterIndex, TTcAttachPoint::Ingress, tcx, parts.Maps);
  std::optional<TBpfProgram> ingress, egress;
  if (queueFlags & kModeQueueReceived)
    ingress.emplace(LoadStealProgram(parts.In.Index(), TTcAttachPoint::Ingress, tcx, parts.Maps));
  if (queueFlags & kModeQueueSent)
    egress.emplace(LoadStealProgram(parts.Out.Index(), TTcAttachPoint::Egress, tcx, parts.Maps));
  TInterceptionTag tag{adapterIndex, owner, {reinject.Id()}};
  for (const auto& program : {&ingress, &egress})
    if (*program) tag.Programs.push_back((*program)->Id());
  // The tag goes on before the programs do, so that whoever finds them on
  // the adapter also finds whose they are.
  SetLinkAlias(parts.In.Index(), FormatInterceptionTag(tag));
  SetLinkAlias(parts.Out.Index(), FormatInterceptionTag(tag));
  if (kind == TAttachKind::ClsBpf) RemoveStaleClsBpfFilters(adapterIndex);
  // The way back first, so that the first stolen frame can already return.
  parts.Hooks.emplace_back(kind, parts.In.Index(), TTcAttachPoint::Ingress, reinject);
  try {
    if (ingress) parts.Hooks.emplace_back(kind, adapterIndex, TTcAttachPoint::Ingress, *ingress);
    if (egress) parts.Hooks.emplace_back(kind, adapterIndex, TTcAttachPoint::Egress, *egress);
  } catch (const std::exception&) {
    // Another instance's cls_bpf filter may have taken the hook meanwhile.
    RefuseIfInterceptedElsewhere(adapterIndex, tag.Programs);
    throw;
  }
  // Another instance may have attached between the first look and ours;
  // then both see each other and neither keeps the adapter.
  RefuseIfInterceptedElsewhere(adapterIndex, tag.Programs);
  return parts;
}
