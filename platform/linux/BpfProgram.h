#pragma once
// The interception's tc programs (bpf/Interception.bpf.c, built into the
// program), loaded into the kernel with the device they send frames to. A
// loaded program lives as long as its descriptor (and any attachment that
// holds it).
#include <cstdint>
#include <string>

#include "common/FileDescriptor.h"
#include "platform/linux/SelectionMaps.h"

// Carried by every frame this process puts back on the adapter's path, so that
// the adapter's own programs let it pass instead of stealing it again. Below
// 2^31, as it has always been, so that filters of older builds still see it.
constexpr uint32_t kReinjectMark = 0x4F564644;
// Carried by frames this process sends on the adapter that are meant for the
// local stack: the adapter's egress program turns them into received frames.
constexpr uint32_t kDeliverMark = kReinjectMark + 1;

// Where a program will be attached. tcx attach points need the program to be
// loaded for them; the cls_bpf fallback loads without one.
enum class TTcAttachPoint { Ingress, Egress };

class TBpfProgram {
 public:
  TBpfProgram(TFileDescriptor fd) : FFd(std::move(fd)) {}
  int Fd() const { return FFd.Get(); }
  // The kernel's id of the program, as hook queries report it.
  uint32_t Id() const;

 private:
  TFileDescriptor FFd;
};

// A frame without the mark goes to the device `targetIndex` for transmission
// (a TAP, where this process reads it), unless the rule in `maps` says the
// engine would hand it back untouched; a marked frame has the mark cleared
// and goes on its normal way. Programs loaded with the same maps share them;
// empty maps are created with the program and filled in.
TBpfProgram LoadStealProgram(uint32_t targetIndex, TTcAttachPoint point, bool forTcx, TSelectionMaps& maps);
// Every frame gets the mark and is delivered to the receive path of the
// device `adapterIndex`, as if it had arrived there from the wire. The maps
// are not used; passing those of the steal programs saves creating others.
TBpfProgram LoadReinjectProgram(uint32_t adapterIndex, TTcAttachPoint point, bool forTcx, TSelectionMaps& maps);
