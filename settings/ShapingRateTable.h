#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "settings/ShapingRate.h"

// The transfer rates the speed-limit list offers, in list order. Names may
// repeat. Changed on the user-interface thread only.
class TShapingRateTable {
 public:
  // Orders by the sum of both limits, ascending: negative, zero or positive.
  // The sum is taken in 64 bits, so no pair of rates can overflow it.
  static int64_t Compare(const TShapingRate& a, const TShapingRate& b);

  void Add(const TShapingRate& rate) { FItems.push_back(rate); }
  void Replace(size_t index, const TShapingRate& rate);
  void Delete(size_t index);
  void Clear() { FItems.clear(); }
  size_t Count() const { return FItems.size(); }
  const TShapingRate& operator[](size_t index) const;

  // Sorts by Compare; the unlimited entry comes first, also ahead of other
  // entries without a limit, and other entries with equal sums keep their
  // order.
  void Sort();
  // The index of the first entry named exactly `name`, or -1.
  int IndexOfName(const std::string& name) const;

  // Replaces the contents by the twelve common link speeds and "Unlimited".
  void LoadBuiltInRates();

 private:
  std::vector<TShapingRate> FItems;
};
