#pragma once
// Where the Linux driver gets the kernel objects that need privileges: the
// interceptions and the packet sockets. A process that runs as root builds
// them itself; any other asks the helper that holds the capabilities.
#include <unistd.h>

#include <cstdint>
#include <memory>

#include "platform/linux/BpfProgram.h"
#include "platform/linux/InterceptionParts.h"
#include "platform/linux/PacketSocket.h"

class IInterceptionSource {
 public:
  virtual ~IInterceptionSource() = default;
  // Throws with a line for the user when the adapter cannot be intercepted.
  virtual TInterceptionParts Intercept(uint32_t adapterIndex, uint32_t queueFlags) = 0;
  // A packet socket bound to the adapter that sends with the re-injection mark.
  virtual std::unique_ptr<TPacketSocket> OpenPort(uint32_t adapterIndex) = 0;
};

class TInProcessInterceptionSource final : public IInterceptionSource {
 public:
  explicit TInProcessInterceptionSource(TAttachKind kind) : FKind(kind) {}
  TInterceptionParts Intercept(uint32_t adapterIndex, uint32_t queueFlags) override {
    return OpenInterceptionParts(adapterIndex, queueFlags, FKind, static_cast<int32_t>(::getpid()));
  }
  std::unique_ptr<TPacketSocket> OpenPort(uint32_t adapterIndex) override {
    return std::make_unique<TPacketSocket>(adapterIndex, kReinjectMark);
  }

 private:
  TAttachKind FKind;
};
