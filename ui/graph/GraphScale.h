#pragma once
// The vertical scale of the graph: which grid lines there are, the value each
// stands for on the axis, and how many pixels a bar of an axis value gets.
// h is the plot height in pixels, top the scale top M (the fixed maximum or
// the largest visible value), spacing the least distance between grid lines.

#include <cstdint>

// Linear: the top raised so that it is a whole number of grid steps of one
// significant digit. Example: M 123456, h 200, spacing 20 gives 10 lines at
// most, a step of 20000, 7 lines and a top of 140000.
struct TLinearScale {
  int GridLines = 0;
  uint64_t Step = 0;    // axis value between two grid lines
  double Top = 0;       // axis value of a full-height bar
  double ValuePerPixel = 0;  // 0: each bar is as many pixels high as its value

  static TLinearScale Compute(uint64_t top, int h, int spacing, bool enableGrid);
  // Pixels of a bar of axis value v, at most h.
  int BarHeight(uint64_t v, int h) const;
  // Row of grid line i (1 to GridLines) below the plot's top row plotTop.
  int GridRow(int i, int plotTop, int h) const;
};

// Logarithmic: D decades from 1 to 10^D over the usable height, which is
// the plot height rounded down to whole grid spacings when there is a grid.
struct TLogScale {
  int Decades = 0;
  int UsableHeight = 0;
  int GridLines = 0;
  int Spacing = 0;

  static TLogScale Compute(uint64_t top, int h, int spacing, bool enableGrid);
  int BarHeight(uint64_t v) const;
  // Axis value of grid line i (1 to GridLines); its row is plot bottom - i × Spacing.
  uint64_t GridValue(int i) const;
};

// The spacing of grid lines for a font whose letter W is textHeight high.
int GridSpacing(int textHeight);
