#include "engine/ErrorChannel.h"

void TErrorChannel::SetWakeOwner(std::function<void()> wake) {
  std::lock_guard guard(FMutex);
  FWakeOwner = std::move(wake);
}

void TErrorChannel::Report(const std::string& message) {
  TPending pending{message};
  std::function<void()> wake;
  {
    std::lock_guard guard(FMutex);
    FPending.push_back(&pending);
    wake = FWakeOwner;
  }
  FChanged.notify_all();
  if (wake) wake();
  std::unique_lock lock(FMutex);
  FChanged.wait(lock, [&] { return pending.Shown; });
}

size_t TErrorChannel::ServePending() {
  size_t served = 0;
  std::unique_lock lock(FMutex);
  while (!FPending.empty()) {
    TPending* pending = FPending.front();
    FPending.pop_front();
    lock.unlock();
    FSink.ShowError(pending->Message);
    lock.lock();
    pending->Shown = true;
    FChanged.notify_all();
    ++served;
  }
  return served;
}

void TErrorChannel::ServeUntil(const std::function<bool()>& done, int pollMs) {
  while (true) {
    ServePending();
    if (done()) return;
    std::unique_lock lock(FMutex);
    FChanged.wait_for(lock, std::chrono::milliseconds(pollMs), [this] { return !FPending.empty(); });
  }
}

void TErrorChannel::Notify() { FChanged.notify_all(); }
