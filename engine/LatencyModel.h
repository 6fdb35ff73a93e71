#pragma once
// The latency decision: whether a frame is delayed and by how much.

#include <cstdint>

#include "engine/EngineSettings.h"
#include "engine/Random.h"

struct TLatencyDecision {
  bool Delayed = false;
  int32_t Delay = 0;  // ms
};

// Decides one frame's delay from a copy of the latency settings. lastDelay is
// the delay of the previous delayed frame (either direction), used for
// correlation and updated when this frame is delayed. Throws on a kind or a
// correlation outside their ranges.
TLatencyDecision DecideLatency(const TLatencySettings& settings, int32_t& lastDelay, TRandom& random);
