#pragma once
#include <cstdint>

// The two clocks a capture file's timestamps are made from: the wall clock,
// read once when the writer is created, and a monotonic stopwatch that
// advances it, so a later change of the system time does not move records.
class TCaptureClock {
 public:
  virtual ~TCaptureClock() = default;
  // Milliseconds since 1970-01-01 00:00:00 UTC.
  virtual int64_t WallClockMs() const = 0;
  // Nanoseconds since an arbitrary fixed origin; never goes backwards.
  virtual int64_t MonotonicNs() const = 0;

  // The system's real-time and monotonic clocks.
  static const TCaptureClock& System();
};
