#include "engine/Engine.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <exception>

#include "capture/LibpcapWriter.h"
#include "common/Assertion.h"
#include "engine/CorruptionModel.h"
#include "engine/DuplicationModel.h"
#include "engine/LatencyModel.h"
#include "engine/LossModel.h"
#include "engine/ReorderingModel.h"
#include "engine/SimulatorThread.h"
#include "filter/MatchesFilter.h"

namespace {

// Takes a queue's head out when the scope ends, also when its handling
// raised: a frame that failed is not tried again.
template <typename T>
class TPopOnExit {
 public:
  explicit TPopOnExit(TFrameQueue<T>& queue) : FQueue(queue) {}
  ~TPopOnExit() { FQueue.PopFront(); }

 private:
  TFrameQueue<T>& FQueue;
};

TFrameRequest RequestFor(TBufferQueueItem& item) { return TFrameRequest{item.Adapter, &item.Buffer}; }

void CopyIntoItem(TBufferQueueItem& item, const TFrameRequest& request, TReinjectMode mode) {
  // Only the header and the frame's own bytes are meaningful; copying just
  // those keeps small frames cheap.
  const uint32_t length = std::min(request.Buffer->Length, kMaxFrameData);
  std::memcpy(&item.Buffer, request.Buffer, offsetof(TFrameBuffer, Data) + length);
  item.Adapter = request.Adapter;
  item.Mode = mode;
}

// Subtracts a frame's length from a budget unless that would make it negative.
void ChargeBudget(double& budget, uint32_t length) {
  if (budget - length >= 0) budget -= length;
}

}  // namespace

bool IsIncomingFrame(const TFrameBuffer& buffer) {
  if (buffer.DeviceFlags == kPacketFlagIncoming) return true;
  if (buffer.DeviceFlags == kPacketFlagOutgoing) return false;
  AssertionFailed("Unknown device flags received from the driver", "GUIMain", __LINE__);
}

TEngine::TEngine(IPacketDriver& driver, const IEngineClock& clock, uint64_t seed)
    : Random(seed), Driver(driver), Clock(clock) {
  ResetFilterSettings(Settings.Filter);
  LocalAddressSource = [] {
    TIPAddrList addresses;
    addresses.GetLocal(true, true);
    return addresses;
  };
}

void TEngine::DispatchFrame(TSimulatorThread& thread, TFrameRequest& request, TReinjectMode mode) {
  std::string error;
  try {
    DispatchLocked(request, mode);
    return;
  } catch (const std::exception& e) {
    error = e.what();
  }
  // Reported only now that every lock is released.
  thread.ReportError(error);
}

void TEngine::DispatchLocked(TFrameRequest& request, TReinjectMode mode) {
  TLockGuard engine(Locks.EngineLock);
  const bool incoming = IsIncomingFrame(*request.Buffer);
  if (IsOversizedFrame(*request.Buffer)) {
    PassOversized(request, mode, incoming);
    return;
  }
  TUniqueLock settings(Locks.SettingsLock);
  const TTrafficDirection direction = Settings.Direction;
  if ((incoming && direction == TTrafficDirection::tdOutgoing) ||
      (!incoming && direction == TTrafficDirection::tdIncoming)) {
    ReinjectFrame(request, mode);
    return;
  }
  const uint8_t* data = request.Buffer->Data;
  const uint32_t length = std::min(request.Buffer->Length, kMaxFrameData);
  if (Settings.Filter.Enabled && !MatchesFilter(Settings.Filter, direction, data, length, LocalAddresses)) {
    ReinjectFrame(request, mode);
    return;
  }
  if (BeforeWriter) BeforeWriter->Write(data, length);
  if (Settings.Blocking.IsBlocked(data, length)) {
    ++(incoming ? State.Counters.DroppedIn : State.Counters.DroppedOut);
    return;
  }
  if ((incoming ? State.RateIn : State.RateOut) == 0) {
    FlushRateQueue(incoming ? State.RateQueueIn : State.RateQueueOut);
    ApplyLatency(request, mode);
    return;
  }
  settings.unlock();
  PassRateLimiter(request, mode, incoming);
}

void TEngine::PassOversized(TFrameRequest& request, TReinjectMode mode, bool incoming) {
  // The buffer holds only the frame's head; the driver sends it whole, and
  // only right away.
  ++(incoming ? State.Counters.OversizedIn : State.Counters.OversizedOut);
  ReinjectFrame(request, mode);
}

void TEngine::PassRateLimiter(TFrameRequest& request, TReinjectMode mode, bool incoming) {
  auto& queue = incoming ? State.RateQueueIn : State.RateQueueOut;
  const double budget = incoming ? State.BudgetIn : State.BudgetOut;
  if (queue.Empty() && static_cast<double>(request.Buffer->Length) <= budget) {
    ApplyLatency(request, mode);
  } else if (queue.Count() >= MaxQueueSize) {
    ++(incoming ? State.Counters.DroppedIn : State.Counters.DroppedOut);
  } else {
    CopyIntoItem(queue.PushBack(), request, mode);
  }
}

void TEngine::FlushRateQueue(TFrameQueue<TBufferQueueItem>& queue) {
  while (!queue.Empty()) {
    TPopOnExit pop(queue);
    TFrameRequest request = RequestFor(queue.Front());
    DeliverFrame(request, queue.Front().Mode);
  }
}

void TEngine::ApplyLatency(TFrameRequest& request, TReinjectMode mode) {
  TUniqueLock settings(Locks.SettingsLock);
  const TLatencySettings latency = Settings.Latency;
  settings.unlock();
  if (!latency.Enabled) {
    ApplyImpairments(request, mode, 0);
    return;
  }
  const bool incoming = IsIncomingFrame(*request.Buffer);
  const TLatencyDecision decision = DecideLatency(latency, State.LastDelay, Random);
  if (decision.Delayed) ++(incoming ? State.Counters.DelayedIn : State.Counters.DelayedOut);
  QueueForLatency(request, mode, decision.Delay, incoming);
}

void TEngine::QueueForLatency(TFrameRequest& request, TReinjectMode mode, int32_t delay, bool incoming) {
  // The frame's tokens leave the budget now, so the budget recovers during the
  // delay rather than after it; DeliverFrame does not charge it again.
  ChargeBudget(incoming ? State.BudgetIn : State.BudgetOut, request.Buffer->Length);
  TLockGuard latency(Locks.LatencyQueueLock);
  TLatencySimulationQueueItem& item = State.LatencyQueue.PushBack();
  CopyIntoItem(item.Frame, request, mode);
  item.EntryTime = ReadClock(Clock);
  item.Delay = delay;
  Idle.LatencyFramesWaiting.store(true, std::memory_order_release);
}

void TEngine::ApplyImpairments(TFrameRequest& request, TReinjectMode mode, int32_t delay) {
  const bool incoming = IsIncomingFrame(*request.Buffer);
  TEngineCounters& c = State.Counters;
  Effects.Post(WM_EFFECT_FRAME, static_cast<uint16_t>(delay & 0xFFFF));
  const uint64_t frames = ++(incoming ? c.FramesIn : c.FramesOut);
  const uint32_t length = std::min(request.Buffer->Length, kMaxFrameData);

  TUniqueLock settings(Locks.SettingsLock);
  if (DecideLoss(Settings.Loss, PercentageResolution.Loss, frames, Random)) {
    settings.unlock();
    Effects.Post(WM_EFFECT_LOSS);
    ++(incoming ? c.DroppedIn : c.DroppedOut);
    return;
  }
  const bool corrupted = DecideCorruption(Settings.Corruption, PercentageResolution.Corruption, length,
                                          State.BitErrors, Random);
  if (corrupted) {
    ++(incoming ? c.CorruptedIn : c.CorruptedOut);
    Effects.Post(WM_EFFECT_CORRUPTION);
    CorruptOneBit(request.Buffer->Data, length, Random);
  }
  const bool duplicated = DecideDuplication(Settings.Duplication, PercentageResolution.Duplication, frames, Random);
  if (duplicated) {
    Effects.Post(WM_EFFECT_DUPLICATION);
    ++(incoming ? c.DuplicatedIn : c.DuplicatedOut);
  }
  const auto& heldQueue = incoming ? State.ReorderQueueIn : State.ReorderQueueOut;
  const bool held = DecideReordering(Settings.Reordering, PercentageResolution.Reordering, Random) &&
                    HasReorderRoom(heldQueue.Count(), Settings.Reordering.Gap);
  settings.unlock();
  if (held) {
    // A duplication chosen above is counted but not carried out.
    HoldForReordering(request, mode, incoming);
    return;
  }
  DeliverFrame(request, mode);
  if (duplicated) DeliverFrame(request, mode);
  ReleaseReordered(incoming);
}

void TEngine::HoldForReordering(const TFrameRequest& request, TReinjectMode mode, bool incoming) {
  Effects.Post(WM_EFFECT_REORDERING);
  CopyIntoItem((incoming ? State.ReorderQueueIn : State.ReorderQueueOut).PushBack(), request, mode);
  ++(incoming ? State.Counters.ReorderedIn : State.Counters.ReorderedOut);
}

void TEngine::ReleaseReordered(bool incoming) {
  TUniqueLock settings(Locks.SettingsLock);
  const bool enabled = Settings.Reordering.Enabled;
  const uint32_t gap = Settings.Reordering.Gap;
  settings.unlock();
  if (State.ReorderQueueIn.Empty() && State.ReorderQueueOut.Empty()) return;
  if (!enabled) {
    State.ReorderQueueIn.Clear();
    State.ReorderQueueOut.Clear();
    return;
  }
  auto& queue = incoming ? State.ReorderQueueIn : State.ReorderQueueOut;
  const uint64_t sent = incoming ? State.Counters.SentIn : State.Counters.SentOut;
  if (queue.Empty() || !IsReorderReleaseDue(sent, gap)) return;
  TPopOnExit pop(queue);
  TFrameRequest held = RequestFor(queue.Front());
  DeliverFrame(held, queue.Front().Mode);
}

void TEngine::DeliverFrame(TFrameRequest& request, TReinjectMode mode) {
  TUniqueLock settings(Locks.SettingsLock);
  const bool latencyEnabled = Settings.Latency.Enabled;
  settings.unlock();
  const bool incoming = IsIncomingFrame(*request.Buffer);
  const uint32_t length = std::min(request.Buffer->Length, kMaxFrameData);
  TEngineCounters& c = State.Counters;
  if (incoming) {
    TickBytes.In.fetch_add(length, std::memory_order_relaxed);
    if (!latencyEnabled) ChargeBudget(State.BudgetIn, length);
    ++c.SentIn;
    c.BytesIn += length;
  } else {
    TickBytes.Out.fetch_add(length, std::memory_order_relaxed);
    if (!latencyEnabled) ChargeBudget(State.BudgetOut, length);
    ++c.SentOut;
    c.BytesOut += length;
  }
  if (AfterWriter) AfterWriter->Write(request.Buffer->Data, length);
  ReinjectFrame(request, mode);
}

void TEngine::ReinjectFrame(TFrameRequest& request, TReinjectMode mode) {
  if (mode == TReinjectMode::rmToAdapter) {
    // The driver sends only frames marked outgoing. The frame's own flag comes
    // back afterwards, so that a duplicate of it is still counted in its own
    // direction.
    const uint32_t flags = request.Buffer->DeviceFlags;
    request.Buffer->DeviceFlags = kPacketFlagOutgoing;
    Driver.SendPacketToAdapter(request);
    request.Buffer->DeviceFlags = flags;
  } else if (request.Buffer->DeviceFlags == kPacketFlagOutgoing) {
    Driver.SendPacketToAdapter(request);
  } else {
    Driver.SendPacketToMstcp(request);
  }
}

void TEngine::ReleaseDueLatencyFrames() {
  if (!Idle.LatencyFramesWaiting.load(std::memory_order_acquire)) return;
  TLockGuard engine(Locks.EngineLock);
  auto& queue = State.LatencyQueue;
  while (true) {
    TLatencySimulationQueueItem* head = nullptr;
    {
      TLockGuard latency(Locks.LatencyQueueLock);
      if (queue.Empty()) {
        Idle.LatencyFramesWaiting.store(false, std::memory_order_release);
        return;
      }
      if (!IsDue(ReadClock(Clock), queue.Front().EntryTime, queue.Front().Delay)) return;
      head = &queue.Front();
    }
    // The impairments take SettingsLock, so they run without
    // LatencyQueueLock: the order stays Engine, Settings, LatencyQueue. The
    // head cannot move meanwhile, since every producer holds EngineLock.
    TFrameRequest request = RequestFor(head->Frame);
    struct TPopHead {
      TEngine& Engine;
      ~TPopHead() {
        TLockGuard latency(Engine.Locks.LatencyQueueLock);
        Engine.State.LatencyQueue.PopFront();
      }
    } pop{*this};
    ApplyImpairments(request, head->Frame.Mode, head->Delay);
  }
}

int64_t TEngine::MicrosecondsUntilNextLatencyRelease() {
  if (!Idle.LatencyFramesWaiting.load(std::memory_order_acquire)) return -1;
  TLockGuard engine(Locks.EngineLock);
  TLockGuard latency(Locks.LatencyQueueLock);
  const auto& queue = State.LatencyQueue;
  if (queue.Empty()) return -1;
  return MicrosecondsUntilDue(ReadClock(Clock), queue.Front().EntryTime, queue.Front().Delay);
}

void TEngine::RefillTokens(uint32_t periodMs) {
  if (Idle.RateLimiterIdle.load(std::memory_order_acquire)) return;
  auto refill = [periodMs](int32_t rate, double& budget, TTraceReplay& trace, const auto& queue) {
    if (rate == 0) return;
    if (trace.Active()) {
      trace.Refill(periodMs, !queue.Empty(), budget);
      return;
    }
    // A bucket holds at least one full-size frame, so slow rates still pass
    // such frames eventually.
    const double cap = rate >= static_cast<int32_t>(kMaxFrameData) ? rate : kMaxFrameData;
    budget = std::min(budget + rate / (1000.0 / periodMs), cap);
  };
  TLockGuard engine(Locks.EngineLock);
  refill(State.RateIn, State.BudgetIn, State.TraceIn, State.RateQueueIn);
  refill(State.RateOut, State.BudgetOut, State.TraceOut, State.RateQueueOut);
}

void TEngine::ReleaseRateQueues() {
  if (Idle.RateLimiterIdle.load(std::memory_order_acquire)) return;
  TLockGuard engine(Locks.EngineLock);
  ReleaseRateQueue(State.RateQueueIn, State.BudgetIn);
  ReleaseRateQueue(State.RateQueueOut, State.BudgetOut);
  State.TraceIn.AfterRelease(!State.RateQueueIn.Empty(), State.BudgetIn);
  State.TraceOut.AfterRelease(!State.RateQueueOut.Empty(), State.BudgetOut);
  NoteRateLimiterWork();
}

void TEngine::NoteRateLimiterWork() {
  const bool idle = State.RateIn == 0 && State.RateOut == 0 && State.RateQueueIn.Empty() && State.RateQueueOut.Empty();
  Idle.RateLimiterIdle.store(idle, std::memory_order_release);
}

void TEngine::ReleaseRateQueue(TFrameQueue<TBufferQueueItem>& queue, double& budget) {
  while (!queue.Empty() && budget > 0) {
    if (budget - queue.Front().Buffer.Length < 0) return;
    TPopOnExit pop(queue);
    TFrameRequest request = RequestFor(queue.Front());
    ApplyLatency(request, queue.Front().Mode);
  }
}

void TEngine::BitErrorTick() {
  TLockGuard engine(Locks.EngineLock);
  ::BitErrorTick(State.BitErrors);
}

void TEngine::RefreshLocalAddresses() {
  if (!LocalAddressSource) return;
  const TIPAddrList addresses = LocalAddressSource();
  LocalAddresses.Replace(addresses);
  Driver.SetLocalAddresses(addresses);
}

void TEngine::ResetState() {
  TLockGuard engine(Locks.EngineLock);
  TLockGuard latency(Locks.LatencyQueueLock);
  State.Reset();
  NoteRateLimiterWork();
}

void TEngine::DiscardQueues() {
  TLockGuard engine(Locks.EngineLock);
  TLockGuard latency(Locks.LatencyQueueLock);
  State.ReleaseQueues();
}

TEngineCounters TEngine::Counters() {
  TLockGuard engine(Locks.EngineLock);
  return State.Counters;
}
