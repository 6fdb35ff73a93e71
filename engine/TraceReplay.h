#pragma once
// One direction's rate limit while it replays a link trace: which trace,
// how far the replay has come, and the rule that turns the trace's delivery
// opportunities into the direction's token budget.
//
// The credit rule keeps the budget at what the recorded link would hold:
//  - A timer tick covers the next period of the trace. Each opportunity in
//    it adds 1504 bytes to the budget if frames wait in the direction's
//    queue. With the queue empty the opportunities go unused and are lost:
//    the budget is 0.
//  - The dequeuer releases waiting frames while the budget covers the head
//    frame; each frame uses its length.
//  - When the queue runs empty, the credit left is lost (budget 0): the rest
//    of that opportunity went unused.
//  - When the head frame is longer than the credit, the credit stays: it is
//    the part of the frame the link has already carried, and the next
//    opportunity adds to it. A 1514-byte frame therefore leaves at its
//    second opportunity and uses 10 bytes of it; the 1494 left go to the
//    frames behind it, or are lost if there are none.
// So the budget is 0 whenever the queue is empty, and a frame that arrives
// never passes at once: it waits for the next opportunity, as on the link.
// The queue limit and its drops are those of a fixed rate.

#include <cstdint>
#include <memory>

#include "settings/LinkTrace.h"

class TTraceReplay {
 public:
  bool Active() const { return FTrace != nullptr; }
  const std::shared_ptr<const TLinkTrace>& Trace() const { return FTrace; }
  // Milliseconds of the trace the ticks have covered since it was selected.
  uint64_t ElapsedMs() const { return FElapsedMs; }

  // Replays the trace from its start with no credit; selecting the trace
  // that already plays keeps its place. nullptr ends the replay and leaves
  // the budget to the fixed rate.
  void Select(std::shared_ptr<const TLinkTrace> trace, double& budget);
  // One timer tick of periodMs; only while a trace plays.
  void Refill(uint32_t periodMs, bool framesWaiting, double& budget);
  // After the dequeuer released what the budget covered; nothing while no
  // trace plays.
  void AfterRelease(bool framesWaiting, double& budget) const;

 private:
  std::shared_ptr<const TLinkTrace> FTrace;
  uint64_t FElapsedMs = 0;
};
