#pragma once
// The graph's memory: the last 65535 samples of each direction, position 0
// the newest. The arrays are allocated once and used as rings, so a new
// sample costs two stores and no allocation.

#include <array>
#include <cstdint>
#include <memory>

class TSampleHistory {
 public:
  static constexpr int kLength = 65535;
  static constexpr int kOldest = kLength - 1;

  enum class TSeries { In, Out, Both };  // Both: the smaller of the two

  TSampleHistory();

  void Clear();
  void Add(uint64_t incoming, uint64_t outgoing);

  uint32_t SampleCount() const { return FSampleCount; }
  uint64_t In(int position) const { return (*FInValues)[Index(position)]; }
  uint64_t Out(int position) const { return (*FOutValues)[Index(position)]; }

  // The value a pass draws at a position (0 to kOldest). Smoothed, it is the
  // mean of the position and its older neighbour; the oldest position has
  // no neighbour and stands for itself.
  uint64_t Value(TSeries series, int position, bool smooth) const;

  // The largest value of both directions among positions first to last
  // (last limited to kOldest).
  uint64_t Largest(int first, int last, bool smooth) const;

  // The sum of the newest min(samples, SampleCount) values divided by
  // samples, so the first seconds after a Clear read lower; 0 for 0 samples.
  uint64_t Mean(TSeries series, uint32_t samples) const;

 private:
  uint64_t Raw(TSeries series, int position) const;
  int Index(int position) const {
    const int index = FNewest + position;
    return index >= kLength ? index - kLength : index;
  }

  using TValues = std::array<uint64_t, kLength>;
  std::unique_ptr<TValues> FInValues;
  std::unique_ptr<TValues> FOutValues;
  int FNewest = 0;  // ring index of position 0
  uint32_t FSampleCount = 0;
};
