#include "engine/ErrorChannel.h"

#include <algorithm>

void TErrorChannel::SetWakeOwner(std::function<void()> wake) {
  std::lock_guard guard(FMutex);
  FWakeOwner = std::move(wake);
}

bool TErrorChannel::QueueUnwaited(const std::string& message) {
  const auto unwaited = std::count_if(FPending.begin(), FPending.end(), [](const auto& p) { return !p->Waited; });
  if (static_cast<size_t>(unwaited) >= kMaxUnwaitedReports) return false;
  const bool queued = std::any_of(FPending.begin(), FPending.end(),
                                  [&](const auto& p) { return p->Message == message; });
  if (queued) return false;
  FPending.push_back(std::make_shared<TPending>(TPending{message, false, false}));
  return true;
}

void TErrorChannel::Report(const std::string& message) {
  std::function<void()> wake;
  std::shared_ptr<TPending> pending;
  {
    std::lock_guard guard(FMutex);
    if (FStopping > 0) {
      if (!QueueUnwaited(message)) return;
    } else {
      pending = std::make_shared<TPending>(TPending{message});
      FPending.push_back(pending);
    }
    wake = FWakeOwner;
  }
  FChanged.notify_all();
  if (wake) wake();
  if (!pending) return;
  std::unique_lock lock(FMutex);
  FChanged.wait(lock, [&] { return pending->Shown || FStopping > 0; });
}

size_t TErrorChannel::ServePending() {
  size_t served = 0;
  std::unique_lock lock(FMutex);
  while (!FPending.empty()) {
    std::shared_ptr<TPending> pending = FPending.front();
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
    bool stopping;
    {
      std::lock_guard guard(FMutex);
      stopping = FStopping > 0;
    }
    if (!stopping) ServePending();
    if (done()) return;
    std::unique_lock lock(FMutex);
    FChanged.wait_for(lock, std::chrono::milliseconds(pollMs),
                      [this] { return FStopping == 0 && !FPending.empty(); });
  }
}

void TErrorChannel::Notify() { FChanged.notify_all(); }

TErrorChannel::TStopping::TStopping(TErrorChannel& channel) : FChannel(channel) {
  {
    std::lock_guard guard(FChannel.FMutex);
    ++FChannel.FStopping;
  }
  // Reporters waiting now go on; their messages stay queued.
  FChannel.FChanged.notify_all();
}

TErrorChannel::TStopping::~TStopping() {
  std::lock_guard guard(FChannel.FMutex);
  --FChannel.FStopping;
}
