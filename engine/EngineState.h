#pragma once
// The engine's running state: one record guarded by EngineLock (its latency
// queue by LatencyQueueLock), zeroed at every start and kept after the stop.

#include <atomic>
#include <cstdint>
#include <memory>

#include "engine/EngineClock.h"
#include "engine/FrameQueue.h"
#include "engine/PacketDriver.h"
#include "engine/TraceReplay.h"

// How a frame is handed back to the driver. The mode travels with the frame
// through every queue.
enum class TReinjectMode : uint8_t {
  rmNatural,    // outgoing to the adapter, incoming to the local stack
  rmToAdapter,  // marked outgoing and sent out on the request's adapter (bridge)
};

struct TBufferQueueItem {
  TFrameBuffer Buffer;
  TAdapterHandle Adapter;
  TReinjectMode Mode;
};

struct TLatencySimulationQueueItem {
  TBufferQueueItem Frame;
  TClockReading EntryTime;  // when the frame entered, on the engine clock
  int32_t Delay;            // ms
};

struct TEngineCounters {
  uint64_t FramesIn, FramesOut;
  uint64_t SentIn, SentOut;
  uint64_t BytesIn, BytesOut;
  uint64_t DroppedIn, DroppedOut;
  uint64_t DelayedIn, DelayedOut;
  uint64_t DuplicatedIn, DuplicatedOut;
  uint64_t ReorderedIn, ReorderedOut;
  uint64_t CorruptedIn, CorruptedOut;
  // Frames longer than the frame buffer (jumbo frames), passed on untouched.
  uint64_t OversizedIn, OversizedOut;
};

// Bits and errors of the two bit-error corruption kinds.
struct TBitErrorState {
  uint64_t BitCount = 0;  // bits delivered since the last ratio error
  uint32_t ErrorsAllowed = 0;
  uint32_t ErrorsDone = 0;
  uint32_t SecondsSinceError = 0;
};

struct TEngineState {
  int32_t RateIn = 0;  // bytes per second; 0 = unlimited
  int32_t RateOut = 0;
  // A direction that replays a trace takes its budget from the trace, and
  // its rate is the trace's average.
  TTraceReplay TraceIn, TraceOut;
  TEngineCounters Counters{};
  double BudgetIn = 0;  // bytes
  double BudgetOut = 0;
  TFrameQueue<TBufferQueueItem> RateQueueIn, RateQueueOut;
  TFrameQueue<TBufferQueueItem> ReorderQueueIn, ReorderQueueOut;
  int32_t LastDelay = 0;  // ms, shared by both directions
  TBitErrorState BitErrors;
  TFrameQueue<TLatencySimulationQueueItem> LatencyQueue;  // guarded by LatencyQueueLock

  // Replays a trace per direction (nullptr: the fixed rate); a trace that
  // already plays keeps its place. Call after setting the fixed rates.
  void SelectTraces(std::shared_ptr<const TLinkTrace> in, std::shared_ptr<const TLinkTrace> out);
  // Back to zero with empty queues, as at the start of a simulation.
  void Reset();
  // Discards every queued frame and frees the queues' memory.
  void ReleaseQueues();
};

// Bytes delivered per direction since the owner last took them; the owner
// takes them once a second by exchange, the engine adds without a lock.
struct TTickByteCounters {
  std::atomic<uint32_t> In{0};
  std::atomic<uint32_t> Out{0};
};
