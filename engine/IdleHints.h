#pragma once
// Hints, readable without a lock, that a timer thread's tick has nothing to
// do: the latency thread and the rate limiter's threads tick every
// millisecond, and taking EngineLock on each tick while nothing waits would
// make the frame path give up the lock to them a few thousand times a second.
//
// Each hint is written under the lock that guards what it describes. A tick
// that reads a hint a moment before it changes does its work on the next
// tick, as it would have for a frame that arrived just after it.
#include <atomic>

struct TIdleHints {
  // The latency queue holds frames; written under LatencyQueueLock.
  std::atomic<bool> LatencyFramesWaiting{false};
  // Both directions are unlimited and both rate queues are empty, so no
  // budget is refilled and no frame released; written under EngineLock.
  std::atomic<bool> RateLimiterIdle{true};
};
