#pragma once
// A recorded link as a list of delivery opportunities: each one lets 1504
// bytes cross the link at its millisecond. Several opportunities may share a
// millisecond. The list repeats with the period of its last timestamp.

#include <cstddef>
#include <cstdint>
#include <vector>

// Bytes one delivery opportunity lets through.
constexpr uint32_t kTraceOpportunityBytes = 1504;

class TLinkTrace {
 public:
  // Timestamps in ms from the start of the trace, not decreasing. Throws
  // std::invalid_argument when the list is empty or decreases.
  explicit TLinkTrace(std::vector<uint32_t> timestampsMs);

  const std::vector<uint32_t>& TimestampsMs() const { return FTimestampsMs; }
  size_t OpportunityCount() const { return FTimestampsMs.size(); }
  // The length of one loop: the last timestamp, or 1 ms when that is 0, so
  // that a trace of zeros repeats every millisecond.
  uint32_t PeriodMs() const { return FPeriodMs; }
  // The rate one loop grants on average.
  double AverageBitRate() const;
  // The same in whole bytes per second, at least 1 so that a trace link is
  // never mistaken for an unlimited one.
  int32_t AverageByteRate() const;
  // Opportunities in the first `ms` milliseconds of replay, loops included:
  // loop k holds the opportunities at t + k * period for every timestamp t,
  // so the last one of a loop and a first one at 0 of the next share a
  // millisecond.
  uint64_t OpportunitiesBefore(uint64_t ms) const;

 private:
  // Timestamps of one loop below ms.
  size_t CountBefore(uint64_t ms) const;

  std::vector<uint32_t> FTimestampsMs;
  uint32_t FPeriodMs;
};
