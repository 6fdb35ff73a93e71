#pragma once
// The kernel objects of one interception of an adapter: the two TAP devices
// and what keeps the programs on the hooks. Whoever holds them holds the
// interception. They are built in one process (root, or the helper that has
// the capabilities) and may live in another, which received their
// descriptors: a tcx link and a non-persistent TAP last exactly as long as
// their last descriptor.
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "common/FileDescriptor.h"
#include "platform/linux/SelectionMaps.h"
#include "platform/linux/TapDevice.h"
#include "platform/linux/TcAttachment.h"

// Runs once when its owner goes, unless moved away.
class TReleaseAction {
 public:
  TReleaseAction() = default;
  explicit TReleaseAction(std::function<void()> action) : FAction(std::move(action)) {}
  ~TReleaseAction() { Run(); }
  TReleaseAction(TReleaseAction&& other) noexcept : FAction(std::exchange(other.FAction, nullptr)) {}
  TReleaseAction& operator=(TReleaseAction&& other) noexcept {
    if (this != &other) {
      Run();
      FAction = std::exchange(other.FAction, nullptr);
    }
    return *this;
  }
  void Run() {
    if (auto action = std::exchange(FAction, nullptr)) action();
  }

 private:
  std::function<void()> FAction;
};

struct TInterceptionParts {
  TInterceptionParts(uint32_t adapter, uint32_t queueFlags, TAttachKind kind, TTapDevice in, TTapDevice out)
      : Adapter(adapter), QueueFlags(queueFlags), Kind(kind), In(std::move(in)), Out(std::move(out)) {}
  TInterceptionParts(TInterceptionParts&&) = default;
  // The hooks go before the TAPs they point to, the adapter's before the
  // way back, in the reverse order of their attachment.
  ~TInterceptionParts() {
    while (!Hooks.empty()) Hooks.pop_back();
    ReleaseHooks.Run();
  }

  uint32_t Adapter = 0;
  uint32_t QueueFlags = 0;
  TAttachKind Kind = TAttachKind::Tcx;
  TTapDevice In;
  TTapDevice Out;
  // Packet sockets with a receive ring each, filled with what the "in" and
  // the "out" TAP transmit (TFrameRing maps them).
  TFileDescriptor InRing;
  TFileDescriptor OutRing;
  // A packet socket on the adapter whose frames carry the deliver mark: with
  // the egress program on (queue flag 1), what it sends reaches the local
  // stack as if received.
  TFileDescriptor StackPort;
  // What the steal programs read their rule from and count in.
  TSelectionMaps Maps;
  // In the order of attachment: the way back on the "in" TAP, then the
  // adapter's ingress and egress hooks.
  std::vector<TTcAttachment> Hooks;
  // For hooks that someone else holds (cls_bpf filters kept by the helper):
  // asks for their removal.
  TReleaseAction ReleaseHooks;
};

// Builds the interception of the adapter (queueFlags: 1 steals what the stack
// sends, 2 what the adapter receives). owner is the process the tags name as
// holder. Throws with a line for the user when the adapter cannot be
// intercepted, also when another live interception holds it.
TInterceptionParts OpenInterceptionParts(uint32_t adapterIndex, uint32_t queueFlags, TAttachKind kind,
                                         int32_t owner);
