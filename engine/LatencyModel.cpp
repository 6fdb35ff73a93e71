#include "engine/LatencyModel.h"

#include <cmath>

#include "common/Assertion.h"

namespace {

// Uniform in from..to-1 (or to..from-1 when to is the smaller); the single
// value from when both are equal.
int32_t DrawRandomDelay(uint32_t from, uint32_t to, TRandom& random) {
  if (from == to) return static_cast<int32_t>(from);
  const uint32_t lo = from < to ? from : to;
  const uint32_t hi = from < to ? to : from;
  return static_cast<int32_t>(random.Uniform(lo, static_cast<int64_t>(hi) - 1));
}

int32_t CorrelatedDelay(int32_t draw, int32_t lastDelay, double correlation) {
  if (correlation == 0 || lastDelay == 0) return draw;
  OT_ASSERT(correlation > 0 && correlation < 1, "GUIMain", "Wrong latency correlation");
  // nearbyint rounds to nearest with ties to even in the default rounding mode.
  return static_cast<int32_t>(std::nearbyint(draw * (1 - correlation) + lastDelay * correlation));
}

}  // namespace

TLatencyDecision DecideLatency(const TLatencySettings& settings, int32_t& lastDelay, TRandom& random) {
  if (!settings.Enabled) return {};
  if (random.Uniform(1, 100) > settings.Percent) return {};
  int32_t delay = 0;
  switch (settings.Kind) {
    case TLatencyKind::lkFixed:
      delay = static_cast<int32_t>(settings.DelayFrom);
      break;
    case TLatencyKind::lkRandom:
      delay = CorrelatedDelay(DrawRandomDelay(settings.DelayFrom, settings.DelayTo, random), lastDelay,
                              settings.Correlation);
      break;
    default:
      AssertionFailed("Wrong latency kind", "GUIMain", __LINE__);
  }
  lastDelay = delay;
  return {true, delay};
}
