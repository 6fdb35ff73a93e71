#pragma once
// The packet event registered for one adapter. The frame poller sets it from
// its own thread while the engine may replace or clear it; the lock makes sure
// that once Assign returns, the previous event is never touched again.
#include <mutex>

#include "engine/Event.h"

class TPacketEventSlot {
 public:
  void Assign(TAutoResetEvent* event) {
    std::lock_guard guard(FMutex);
    FEvent = event;
  }
  void Signal() {
    std::lock_guard guard(FMutex);
    if (FEvent) FEvent->Set();
  }

 private:
  std::mutex FMutex;
  TAutoResetEvent* FEvent = nullptr;
};
