#include "engine/TraceReplay.h"

#include <utility>

void TTraceReplay::Select(std::shared_ptr<const TLinkTrace> trace, double& budget) {
  if (trace == FTrace) return;
  FTrace = std::move(trace);
  FElapsedMs = 0;
  // A fixed rate's tokens are not the link's: they would let frames pass at
  // once with nothing waiting.
  if (FTrace) budget = 0;
}

void TTraceReplay::Refill(uint32_t periodMs, bool framesWaiting, double& budget) {
  const uint64_t from = FElapsedMs;
  FElapsedMs += periodMs;
  if (!framesWaiting) {
    budget = 0;
    return;
  }
  const uint64_t opportunities = FTrace->OpportunitiesBefore(FElapsedMs) - FTrace->OpportunitiesBefore(from);
  budget += static_cast<double>(opportunities) * kTraceOpportunityBytes;
}

void TTraceReplay::AfterRelease(bool framesWaiting, double& budget) const {
  if (FTrace && !framesWaiting) budget = 0;
}
