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
// While EngineLock is held, SettingsLock and LatencyQueueLock may nest either
// way (dispatch: settings then latency queue; latency release: latency queue
// then settings). That is safe only because EngineLock serialises them: no
// thread may take SettingsLock and then wait for LatencyQueueLock or
// EngineLock without holding EngineLock. The owner (window or headless runner)
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
