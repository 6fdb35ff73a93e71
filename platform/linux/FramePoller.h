#pragma once
// A thread that watches the TAP descriptors of one intercepted adapter and
// calls back each time a frame arrives on any of them (edge-triggered: once
// per arrival, not once per poll while frames wait). It stops and is joined
// when the owner goes.
//
// Descriptors given as "once" say so only once until Rearm(): a reader that
// is busy with the frames of one wake-up is not woken for each further frame
// it will read anyway. Rearm() reports at once what arrived meanwhile.
#include <functional>
#include <thread>
#include <vector>

#include "common/FileDescriptor.h"

class TFramePoller {
 public:
  TFramePoller(const std::vector<int>& fds, std::function<void()> onFrames, const std::vector<int>& once = {});
  ~TFramePoller();

  TFramePoller(const TFramePoller&) = delete;
  TFramePoller& operator=(const TFramePoller&) = delete;

  // Once the reader has found nothing waiting.
  void Rearm();

 private:
  void Run();

  TFileDescriptor FEpoll;
  TFileDescriptor FStop;  // an eventfd: readable once the owner wants the thread to end
  std::function<void()> FOnFrames;
  std::vector<int> FOnce;
  std::thread FThread;
};
