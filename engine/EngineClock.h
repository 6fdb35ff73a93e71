#pragma once
// The engine's one clock and its periodic timers, behind interfaces so that
// tests drive time themselves and the platform layer supplies the real ones.

#include <cstdint>
#include <memory>
#include <string>

class IEngineClock {
 public:
  virtual ~IEngineClock() = default;
  // Monotonic time in microseconds.
  virtual uint64_t NowMicroseconds() const = 0;
};

// The 32-bit millisecond clock the latency queue runs on. It wraps after
// about 49.7 days; due times are therefore compared as differences.
inline uint32_t MillisecondClock(const IEngineClock& clock) {
  return static_cast<uint32_t>(clock.NowMicroseconds() / 1000);
}

// The millisecond clock rounded up: a frame's entry time, so that reading the
// clock late in a millisecond never shortens the frame's delay.
inline uint32_t MillisecondClockCeil(const IEngineClock& clock) {
  return static_cast<uint32_t>((clock.NowMicroseconds() + 999) / 1000);
}

// True once at least delay ms have passed since entry, across a wrap of the
// 32-bit clock too.
inline bool IsDue(uint32_t now, uint32_t entry, int32_t delay) {
  const uint32_t elapsed = now - entry;
  return static_cast<int32_t>(elapsed) >= delay;
}

// A periodic timer whose ticks fall on whole periods of the engine clock.
class IPeriodicTimer {
 public:
  virtual ~IPeriodicTimer() = default;
  // Blocks until the next tick; returns the number of periods that elapsed
  // since the last call (more than 1 when the caller was late), or 0 when the
  // timer failed. Never blocks longer than a few periods.
  virtual uint64_t WaitForTick() = 0;
  // The system's reason for the last failure.
  virtual std::string LastError() const = 0;
};

class ITimerFactory {
 public:
  virtual ~ITimerFactory() = default;
  // The shortest period the platform offers, in ms; 0 when unknown.
  virtual uint32_t MinimumPeriodMs() const = 0;
  // A timer with the given period whose first tick is at once; throws with
  // the system's message when the timer cannot be made.
  virtual std::unique_ptr<IPeriodicTimer> CreatePeriodic(uint32_t periodMs) = 0;
};
