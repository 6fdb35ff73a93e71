#pragma once
// A thread that watches the TAP descriptors of one intercepted adapter and
// calls back each time a frame arrives on any of them (edge-triggered: once
// per arrival, not once per poll while frames wait). It stops and is joined
// when the owner goes.
//
// Descriptors given as "once" say so only once until Rearm(): a reader that
// is busy with the frames of one wake-up is not woken for each further frame
// it will read anyway. Rearm() reports at once what arrived meanwhile.
//
// Descriptors given as "noted" also raise a flag of their own, which the
// reader takes before it reads them: a queue that rarely holds anything then
// costs no system call on each read.
#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "common/FileDescriptor.h"

class TFramePoller {
 public:
  TFramePoller(const std::vector<int>& fds, std::function<void()> onFrames, const std::vector<int>& once = {},
               const std::vector<int>& noted = {});
  ~TFramePoller();

  TFramePoller(const TFramePoller&) = delete;
  TFramePoller& operator=(const TFramePoller&) = delete;

  // Once the reader has found nothing waiting.
  void Rearm();
  // True when noted[which] signalled since the last take; clears the flag.
  bool TakeArrival(size_t which) { return FArrived[which].exchange(false, std::memory_order_acq_rel); }
  // The reader found a frame there and so may find more: it asks again.
  void KeepArrival(size_t which) { FArrived[which].store(true, std::memory_order_release); }

 private:
  void Run();

  TFileDescriptor FEpoll;
  TFileDescriptor FStop;  // an eventfd: readable once the owner wants the thread to end
  std::function<void()> FOnFrames;
  std::vector<int> FOnce;
  std::vector<int> FNoted;
  std::unique_ptr<std::atomic<bool>[]> FArrived;  // one per noted descriptor
  std::thread FThread;
};
