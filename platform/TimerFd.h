#pragma once
// Periodic timers on timerfd (CLOCK_MONOTONIC). The first tick falls on the
// next whole millisecond and every later one on a whole period after it, so
// a frame due at a millisecond leaves within a fraction of one.

#include "engine/EngineClock.h"
#include "common/FileDescriptor.h"

class TTimerFd : public IPeriodicTimer {
 public:
  // Throws std::system_error when the timer cannot be made or armed. Create
  // it on the thread that will wait on it.
  explicit TTimerFd(uint32_t periodMs);
  uint64_t WaitForTick() override;
  std::string LastError() const override { return FLastError; }

 private:
  TFileDescriptor FFd;
  std::string FLastError;
};

class TTimerFdFactory : public ITimerFactory {
 public:
  uint32_t MinimumPeriodMs() const override { return 1; }
  std::unique_ptr<IPeriodicTimer> CreatePeriodic(uint32_t periodMs) override;
  void SleepMicroseconds(uint32_t microseconds) override;
};
