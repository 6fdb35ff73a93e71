#pragma once
// The vertical axis counts in powers of 1000, so that grid steps are whole
// decimal numbers also when the unit base is 1024: a stored value enters the
// axis scaled by 1000 / base once per group of three digits above the first
// three, and a grid value is scaled back the same way to be labelled. In
// bytes, a sample of 1048576 (1.0 M) therefore lies on the grid line 1000000.

#include <cstdint>

// The integer nearest to numerator / denominator, halves to the even one.
uint64_t DivideRoundHalfEven(unsigned __int128 numerator, uint64_t denominator);
// The integer nearest to x, halves to the even one (x at least 0).
uint64_t RoundHalfEven(double x);

// The integer part of log10(v) for v above 0.
int DecimalExponent(uint64_t v);

// A stored value on the axis.
uint64_t ToAxisValue(uint64_t v, uint64_t unitBase);
// The value a grid line at axis value g stands for, to be formatted.
uint64_t GridLabelValue(uint64_t g, uint64_t unitBase);
