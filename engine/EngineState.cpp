#include "engine/EngineState.h"

void TEngineState::Reset() {
  RateIn = RateOut = 0;
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
