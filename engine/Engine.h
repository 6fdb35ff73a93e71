#pragma once
// The emulation engine's frame road and the state it runs on. One TEngine
// lives for the whole process; the owner (the window or the headless runner)
// changes its settings under SettingsLock, reads its counters under
// EngineLock, and starts and stops simulations on it (TSimulation).
//
// One frame's road: DispatchFrame (direction, filter, "before" capture, port
// blocking, rate limiter) -> ApplyLatency (latency decision, latency queue)
// -> ApplyImpairments (loss, corruption, duplication, reordering) ->
// DeliverFrame (counting, "after" capture) -> ReinjectFrame (to the adapter
// or the local stack).

#include <atomic>
#include <cstdint>
#include <functional>

#include "engine/EffectChannel.h"
#include "engine/EngineClock.h"
#include "engine/EngineLocks.h"
#include "engine/EngineSettings.h"
#include "engine/EngineState.h"
#include "engine/IdleHints.h"
#include "engine/PacketDriver.h"
#include "engine/Random.h"
#include "filter/IPUtil.h"
#include "filter/LocalAddresses.h"

class TSimulatorThread;
class TLibpcapWriter;

class TEngine {
 public:
  TEngine(IPacketDriver& driver, const IEngineClock& clock, uint64_t seed);
  TEngine(const TEngine&) = delete;
  TEngine& operator=(const TEngine&) = delete;

  // Process-wide objects. The locks and their order: engine/EngineLocks.h.
  TEngineLocks Locks;
  TEngineSettings Settings;  // SettingsLock
  TPercentageResolution PercentageResolution;
  uint32_t MaxQueueSize = kDefaultMaxQueueSize;
  TEngineState State;  // EngineLock; its LatencyQueue under LatencyQueueLock
  TTickByteCounters TickBytes;
  TIdleHints Idle;
  TLocalAddresses LocalAddresses{Locks.LocalAddressLock};
  TRandom Random;
  TEffectChannel Effects;
  // Set by TSimulation while a bridge runs: the driver then hands every
  // frame to the engine.
  std::atomic<bool> Bridging{false};
  // Seconds after which the owner stops a started simulation; 0 = no limit.
  std::atomic<int32_t> RunTimeLimit{0};

  IPacketDriver& Driver;
  const IEngineClock& Clock;

  // The capture writers of the running simulation; set by TSimulation while
  // no engine thread runs.
  TLibpcapWriter* BeforeWriter = nullptr;
  TLibpcapWriter* AfterWriter = nullptr;

  // The host's own addresses, as THelper refreshes them; replaceable so that
  // tests can name the addresses they want to be local.
  std::function<TIPAddrList()> LocalAddressSource;

  // Entry of every intercepted frame. Never raises: an error is reported
  // through the thread and the thread goes on with its next frame.
  void DispatchFrame(TSimulatorThread& thread, TFrameRequest& request, TReinjectMode mode);

  // The latency decision; queues the frame for its delay or goes straight on
  // to the impairments. Called with EngineLock held.
  void ApplyLatency(TFrameRequest& request, TReinjectMode mode);
  // Loss, corruption, duplication, reordering, then delivery. EngineLock held.
  void ApplyImpairments(TFrameRequest& request, TReinjectMode mode, int32_t delay);
  // Counts, charges, captures and re-injects one frame. EngineLock held.
  void DeliverFrame(TFrameRequest& request, TReinjectMode mode);
  // Hands a frame back to the driver; the driver's result is ignored.
  void ReinjectFrame(TFrameRequest& request, TReinjectMode mode);

  // The latency thread's release step: every frame whose delay has passed
  // goes on to the impairments, in queue order.
  void ReleaseDueLatencyFrames();
  // How long until the head of the latency queue is due: 0 when it is, -1
  // when the queue is empty.
  int64_t MicrosecondsUntilNextLatencyRelease();
  // The rate limiter's timer tick: adds one period's tokens to each limited
  // direction, up to its bucket depth, or the credit of the period's
  // opportunities to a direction that replays a trace (engine/TraceReplay.h).
  void RefillTokens(uint32_t periodMs);
  // The dequeuer's step: releases queued frames of each direction as far as
  // its budget allows; a trace direction then loses the credit nothing
  // waits for.
  void ReleaseRateQueues();
  // Once a second: a new second of bit-error allowance.
  void BitErrorTick();
  // Replaces the local address list with LocalAddressSource's answer, and
  // tells the driver.
  void RefreshLocalAddresses();
  // Tells the driver the direction and the filter rule in force, so that it
  // can pass the frames they do not select itself. Takes SettingsLock.
  void PublishFrameSelection();

  // Renews Idle.RateLimiterIdle after the rates or the rate queues changed.
  // EngineLock held.
  void NoteRateLimiterWork();
  // Back to zero with empty queues, under EngineLock (start of a simulation).
  void ResetState();
  // Discards every queued frame (end of a simulation).
  void DiscardQueues();
  TEngineCounters Counters();

 private:
  void DispatchLocked(TFrameRequest& request, TReinjectMode mode);
  void PassOversized(TFrameRequest& request, TReinjectMode mode, bool incoming);
  void PassRateLimiter(TFrameRequest& request, TReinjectMode mode, bool incoming);
  void FlushRateQueue(TFrameQueue<TBufferQueueItem>& queue);
  void QueueForLatency(TFrameRequest& request, TReinjectMode mode, int32_t delay, bool incoming);
  void HoldForReordering(const TFrameRequest& request, TReinjectMode mode, bool incoming);
  void ReleaseReordered(bool incoming);
  void ReleaseRateQueue(TFrameQueue<TBufferQueueItem>& queue, double& budget);
};

// True for device flag 2 (received from the network), false for 1 (sent by
// the local stack); any other value is an internal error.
bool IsIncomingFrame(const TFrameBuffer& buffer);
