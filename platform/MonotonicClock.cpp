#include "platform/MonotonicClock.h"

#include <time.h>

uint64_t TMonotonicClock::NowMicroseconds() const {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<uint64_t>(now.tv_sec) * 1000000u + static_cast<uint64_t>(now.tv_nsec) / 1000u;
}
