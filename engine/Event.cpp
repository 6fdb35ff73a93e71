#include "engine/Event.h"

#include <chrono>

void TAutoResetEvent::Set() {
  {
    std::lock_guard guard(FMutex);
    FSignalled = true;
  }
  FCondition.notify_one();
}

TAutoResetEvent::TWaitResult TAutoResetEvent::Wait(int timeoutMs) {
  std::unique_lock lock(FMutex);
  auto signalled = [this] { return FSignalled; };
  if (timeoutMs < 0) {
    FCondition.wait(lock, signalled);
  } else if (!FCondition.wait_for(lock, std::chrono::milliseconds(timeoutMs), signalled)) {
    return TWaitResult::TimedOut;
  }
  FSignalled = false;
  return TWaitResult::Signalled;
}
