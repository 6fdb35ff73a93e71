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

// A reading of the engine clock as the latency queue keeps it: the 32-bit
// millisecond clock, which wraps after about 49.7 days, and the microseconds
// within that millisecond.
struct TClockReading {
  uint32_t Milliseconds;
  uint16_t Microseconds;  // 0..999
};

inline TClockReading ReadClock(const IEngineClock& clock) {
  const uint64_t now = clock.NowMicroseconds();
  return TClockReading{static_cast<uint32_t>(now / 1000), static_cast<uint16_t>(now % 1000)};
}

// Microseconds from now until entry + delay ms; 0 once it has passed. The
// millisecond parts are compared as a difference, so the answer stays right
// across a wrap of the 32-bit clock.
inline int64_t MicrosecondsUntilDue(TClockReading now, TClockReading entry, int32_t delay) {
  const int32_t elapsedMs = static_cast<int32_t>(now.Milliseconds - entry.Milliseconds);
  const int64_t elapsed = int64_t{elapsedMs} * 1000 + now.Microseconds - entry.Microseconds;
  const int64_t remaining = int64_t{delay} * 1000 - elapsed;
  return remaining > 0 ? remaining : 0;
}

inline bool IsDue(TClockReading now, TClockReading entry, int32_t delay) {
  return MicrosecondsUntilDue(now, entry, delay) == 0;
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
  // Sleeps the calling thread for a part of one period, so that a frame due
  // between two ticks can leave when it is due rather than at the next tick.
  virtual void SleepMicroseconds(uint32_t microseconds) = 0;
};
