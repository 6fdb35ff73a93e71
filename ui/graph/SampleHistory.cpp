#include "ui/graph/SampleHistory.h"

#include <algorithm>

TSampleHistory::TSampleHistory() : FInValues(std::make_unique<TValues>()), FOutValues(std::make_unique<TValues>()) {
  Clear();
}

void TSampleHistory::Clear() {
  FInValues->fill(0);
  FOutValues->fill(0);
  FNewest = 0;
  FSampleCount = 0;
}

void TSampleHistory::Add(uint64_t incoming, uint64_t outgoing) {
  // The oldest sample's slot becomes position 0.
  FNewest = FNewest == 0 ? kOldest : FNewest - 1;
  (*FInValues)[FNewest] = incoming;
  (*FOutValues)[FNewest] = outgoing;
  if (FSampleCount != UINT32_MAX) ++FSampleCount;
}

uint64_t TSampleHistory::Raw(TSeries series, int position) const {
  switch (series) {
    case TSeries::In: return In(position);
    case TSeries::Out: return Out(position);
    case TSeries::Both: break;
  }
  return std::min(In(position), Out(position));
}

uint64_t TSampleHistory::Value(TSeries series, int position, bool smooth) const {
  const uint64_t value = Raw(series, position);
  if (!smooth || position >= kOldest) return value;
  const uint64_t older = Raw(series, position + 1);
  // (value + older) div 2 without overflowing 64 bits.
  return value / 2 + older / 2 + (value & older & 1);
}

uint64_t TSampleHistory::Largest(int first, int last, bool smooth) const {
  last = std::min(last, kOldest);
  uint64_t largest = 0;
  for (int position = std::max(first, 0); position <= last; ++position) {
    largest = std::max({largest, Value(TSeries::In, position, smooth), Value(TSeries::Out, position, smooth)});
  }
  return largest;
}

uint64_t TSampleHistory::Mean(TSeries series, uint32_t samples) const {
  if (samples == 0) return 0;
  // Only kLength samples are kept, however many were asked for or added.
  const uint32_t summed = std::min({samples, FSampleCount, static_cast<uint32_t>(kLength)});
  unsigned __int128 sum = 0;
  for (uint32_t position = 0; position < summed; ++position) sum += Raw(series, static_cast<int>(position));
  return static_cast<uint64_t>(sum / samples);
}
