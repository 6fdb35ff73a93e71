#include "ui/graph/AxisValues.h"

#include <cmath>
#include <limits>

uint64_t DivideRoundHalfEven(unsigned __int128 numerator, uint64_t denominator) {
  unsigned __int128 quotient = numerator / denominator;
  const unsigned __int128 twiceRemainder = (numerator % denominator) * 2;
  if (twiceRemainder > denominator || (twiceRemainder == denominator && (quotient & 1) != 0)) ++quotient;
  constexpr uint64_t kMax = std::numeric_limits<uint64_t>::max();
  return quotient > kMax ? kMax : static_cast<uint64_t>(quotient);
}

uint64_t RoundHalfEven(double x) {
  if (!(x > 0)) return 0;
  if (x >= 18446744073709551615.0) return std::numeric_limits<uint64_t>::max();
  return static_cast<uint64_t>(std::nearbyint(x));  // the default rounding mode rounds halves to even
}

int DecimalExponent(uint64_t v) {
  int n = 0;
  while (v >= 10) {
    v /= 10;
    ++n;
  }
  return n;
}

namespace {

// One step per group of three digits above the first three, each counted on
// the value's digits before any step.
uint64_t ScaleByGroups(uint64_t v, uint64_t multiplier, uint64_t divisor) {
  if (v == 0 || multiplier == divisor) return v;
  for (int n = DecimalExponent(v); n > 2; n -= 3)
    v = DivideRoundHalfEven(static_cast<unsigned __int128>(v) * multiplier, divisor);
  return v;
}

}  // namespace

uint64_t ToAxisValue(uint64_t v, uint64_t unitBase) { return ScaleByGroups(v, 1000, unitBase); }

uint64_t GridLabelValue(uint64_t g, uint64_t unitBase) { return ScaleByGroups(g, unitBase, 1000); }
