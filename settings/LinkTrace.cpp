#include "settings/LinkTrace.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

TLinkTrace::TLinkTrace(std::vector<uint32_t> timestampsMs) : FTimestampsMs(std::move(timestampsMs)) {
  if (FTimestampsMs.empty()) throw std::invalid_argument("A link trace needs at least one delivery opportunity");
  if (!std::is_sorted(FTimestampsMs.begin(), FTimestampsMs.end()))
    throw std::invalid_argument("The timestamps of a link trace must not decrease");
  FPeriodMs = std::max<uint32_t>(FTimestampsMs.back(), 1);
}

double TLinkTrace::AverageBitRate() const {
  return static_cast<double>(OpportunityCount()) * kTraceOpportunityBytes * 8 * 1000 / FPeriodMs;
}

int32_t TLinkTrace::AverageByteRate() const {
  const double bytes = std::round(AverageBitRate() / 8);
  return static_cast<int32_t>(std::clamp(bytes, 1.0, double{std::numeric_limits<int32_t>::max()}));
}

size_t TLinkTrace::CountBefore(uint64_t ms) const {
  const auto end = std::lower_bound(FTimestampsMs.begin(), FTimestampsMs.end(), ms);
  return static_cast<size_t>(end - FTimestampsMs.begin());
}

uint64_t TLinkTrace::OpportunitiesBefore(uint64_t ms) const {
  // Loop k contributes the timestamps below ms - k * period. Every timestamp
  // is at most one period, so all loops but the last two count whole.
  const uint64_t loops = ms / FPeriodMs;
  const uint64_t rest = ms % FPeriodMs;
  uint64_t count = CountBefore(rest);
  if (loops >= 1) count += rest > 0 ? OpportunityCount() : CountBefore(FPeriodMs);
  if (loops >= 2) count += (loops - 1) * OpportunityCount();
  return count;
}
