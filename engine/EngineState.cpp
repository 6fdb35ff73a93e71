#include "engine/EngineState.h"

#include <utility>

void TEngineState::Reset() {
  RateIn = RateOut = 0;
  TraceIn = TraceOut = TTraceReplay{};
  Counters = TEngineCounters{};
  BudgetIn = BudgetOut = 0;
  LastDelay = 0;
  BitErrors = TBitErrorState{};
  ReleaseQueues();
}

void TEngineState::ReleaseQueues() {
  RateQueueIn.Release();
  RateQueueOut.Release();
  ReorderQueueIn.Release();
  ReorderQueueOut.Release();
  LatencyQueue.Release();
}

void TEngineState::SelectTraces(std::shared_ptr<const TLinkTrace> in, std::shared_ptr<const TLinkTrace> out) {
  TraceIn.Select(std::move(in), BudgetIn);
  TraceOut.Select(std::move(out), BudgetOut);
  if (TraceIn.Active()) RateIn = TraceIn.Trace()->AverageByteRate();
  if (TraceOut.Active()) RateOut = TraceOut.Trace()->AverageByteRate();
}
