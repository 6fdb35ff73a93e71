#pragma once
// One program attached to one tc hook of one device, detached when the owner
// goes. Two kinds:
//  - a tcx link (kernel 6.6 and later): it lives as long as its descriptor,
//    so the kernel detaches it itself when this process ends in any way;
//  - a cls_bpf filter (older kernels): it outlives the process, so a crash
//    leaves it behind, and RemoveStaleClsBpfFilters clears it at the next
//    start. Only one cls_bpf filter of ours fits on a hook: attaching where
//    one is already fails with EEXIST instead of replacing it.
#include <cstdint>
#include <vector>

#include "platform/linux/BpfProgram.h"
#include "common/FileDescriptor.h"

enum class TAttachKind { Tcx, ClsBpf };

class TTcAttachment {
 public:
  TTcAttachment(TAttachKind kind, uint32_t deviceIndex, TTcAttachPoint point, const TBpfProgram& program);
  // Keeps a tcx link that someone else created (the helper) alive.
  explicit TTcAttachment(TFileDescriptor tcxLink);
  ~TTcAttachment();

  TTcAttachment(TTcAttachment&& other) noexcept;
  TTcAttachment& operator=(TTcAttachment&&) = delete;
  TTcAttachment(const TTcAttachment&) = delete;
  TTcAttachment& operator=(const TTcAttachment&) = delete;

  TAttachKind Kind() const { return FKind; }
  // The tcx link's descriptor, -1 for a cls_bpf filter.
  int LinkFd() const { return FLink.Get(); }

 private:
  TAttachKind FKind;
  uint32_t FDeviceIndex = 0;
  TTcAttachPoint FPoint = TTcAttachPoint::Ingress;
  TFileDescriptor FLink;  // tcx only
  bool FAttached = false;
};

// True when the kernel knows tcx attach points.
bool KernelHasTcx();
// The ids of the programs that run on the device's hook: every tcx program
// (none on kernels without tcx) and the one of our cls_bpf filter.
std::vector<uint32_t> AttachedProgramIds(uint32_t deviceIndex, TTcAttachPoint point);
// The id of the program of our cls_bpf filter on the hook, 0 when there is none.
uint32_t ClsBpfProgramId(uint32_t deviceIndex, TTcAttachPoint point);
// Removes our cls_bpf filter from the hook.
void DetachClsBpfFilter(uint32_t deviceIndex, TTcAttachPoint point);
