#pragma once
// A thread that watches the TAP descriptors of one intercepted adapter and
// calls back each time a frame arrives on any of them (edge-triggered: once
// per arrival, not once per poll while frames wait). It stops and is joined
// when the owner goes.
#include <functional>
#include <thread>
#include <vector>

#include "common/FileDescriptor.h"

class TFramePoller {
 public:
  TFramePoller(const std::vector<int>& fds, std::function<void()> onFrames);
  ~TFramePoller();

  TFramePoller(const TFramePoller&) = delete;
  TFramePoller& operator=(const TFramePoller&) = delete;

 private:
  void Run();

  TFileDescriptor FEpoll;
  TFileDescriptor FStop;  // an eventfd: readable once the owner wants the thread to end
  std::function<void()> FOnFrames;
  std::thread FThread;
};
