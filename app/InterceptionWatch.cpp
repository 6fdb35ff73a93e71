#include "app/InterceptionWatch.h"

bool TInterceptionWatch::SetAdapterMode(const TAdapterMode& mode) {
  const bool done = FDriver.SetAdapterMode(mode);
  if (done) {
    std::lock_guard lock(FMutex);
    if (mode.Flags == kModeRelease) {
      FIntercepted.erase(mode.Adapter);
    } else {
      FIntercepted.insert(mode.Adapter);
    }
  }
  FChanged.notify_all();
  return done;
}

bool TInterceptionWatch::WaitIntercepted(TAdapterHandle adapter, std::chrono::milliseconds timeout) {
  std::unique_lock lock(FMutex);
  return FChanged.wait_for(lock, timeout, [&] { return FIntercepted.count(adapter) > 0; });
}
