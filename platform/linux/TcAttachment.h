#pragma once
// One program attached to one tc hook of one device, detached when the owner
// goes. Two kinds:
//  - a tcx link (kernel 6.6 and later): it lives as long as its descriptor,
//    so the kernel detaches it itself when this process ends in any way;
//  - a cls_bpf filter (older kernels): it outlives the process, so a crash
//    leaves it behind, and RemoveStaleClsBpfFilter clears it at the next start.
#include <cstdint>

#include "platform/linux/BpfProgram.h"
#include "common/FileDescriptor.h"

enum class TAttachKind { Tcx, ClsBpf };

class TTcAttachment {
 public:
  TTcAttachment(TAttachKind kind, uint32_t deviceIndex, TTcAttachPoint point, const TBpfProgram& program);
  ~TTcAttachment();

  TTcAttachment(TTcAttachment&& other) noexcept;
  TTcAttachment& operator=(TTcAttachment&&) = delete;
  TTcAttachment(const TTcAttachment&) = delete;
  TTcAttachment& operator=(const TTcAttachment&) = delete;

 private:
  TAttachKind FKind;
  uint32_t FDeviceIndex;
  TTcAttachPoint FPoint;
  TFileDescriptor FLink;  // tcx only
  bool FAttached = false;
};

// True when the kernel knows tcx attach points.
bool KernelHasTcx();
// Removes the cls_bpf filters of ours from both hooks of the device, if any.
void RemoveStaleClsBpfFilters(uint32_t deviceIndex);
