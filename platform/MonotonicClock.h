#pragma once
#include "engine/EngineClock.h"

// CLOCK_MONOTONIC, the clock every engine timer is aligned to.
class TMonotonicClock : public IEngineClock {
 public:
  uint64_t NowMicroseconds() const override;
};
