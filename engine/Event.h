#pragma once
#include <condition_variable>
#include <mutex>

// An auto-reset event: Set wakes one waiter (or the next one to wait), and a
// successful Wait resets it. Several Sets before a Wait collapse into one.
class TAutoResetEvent {
 public:
  enum class TWaitResult { Signalled, TimedOut };

  void Set();
  // Waits up to timeoutMs milliseconds; a negative timeout waits forever.
  TWaitResult Wait(int timeoutMs);

 private:
  std::mutex FMutex;
  std::condition_variable FCondition;
  bool FSignalled = false;
};
