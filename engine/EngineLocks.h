#pragma once
#include <mutex>

// The four process-wide engine locks. All are recursive: a holder may take a
// lock again.
//
// Order, outermost first:
//   EngineLock        all frame processing, rate and reorder queues, token
//                     budgets, counters, bit-error state. Every engine thread
//                     takes it first.
//   SettingsLock      TEngineSettings and what it owns (filter rule, groups,
//                     port list).
//   LatencyQueueLock  the latency queue.
//   LocalAddressLock  the local address list; innermost, nothing is taken
//                     while it is held.
//
// Every engine thread takes them in this order. The latency release holds
// LatencyQueueLock only to look at and to remove the queue's head, never
// while it decides a frame's impairments (which take SettingsLock), so the
// two never nest the other way round. The owner (window or headless runner)
// takes EngineLock alone or SettingsLock alone, never both, and never
// LatencyQueueLock. Capture writers have their own lock, innermost of all.
struct TEngineLocks {
  std::recursive_mutex EngineLock;
  std::recursive_mutex SettingsLock;
  std::recursive_mutex LatencyQueueLock;
  std::recursive_mutex LocalAddressLock;
};

using TLockGuard = std::lock_guard<std::recursive_mutex>;
using TUniqueLock = std::unique_lock<std::recursive_mutex>;
