// The axis conversion, the plot rectangle, and the linear and logarithmic
// scales, including the worked example of a 123456-byte top.
#include <gtest/gtest.h>

#include "ui/graph/AxisValues.h"
#include "ui/graph/GraphScale.h"
#include "ui/graph/PlotGeometry.h"

namespace {

TEST(AxisValues, RoundingHalvesToEven) {
  const struct {
    uint64_t Numerator, Denominator, Expected;
  } cases[] = {{5, 2, 2}, {7, 2, 4}, {3, 2, 2}, {9, 4, 2}, {11, 4, 3}, {1000000, 1024, 977}};
  for (const auto& c : cases) EXPECT_EQ(DivideRoundHalfEven(c.Numerator, c.Denominator), c.Expected) << c.Numerator;
  EXPECT_EQ(RoundHalfEven(19.5), 20u);
  EXPECT_EQ(RoundHalfEven(16.5), 16u);
  EXPECT_EQ(RoundHalfEven(-3), 0u);
}

TEST(AxisValues, StoredValueToAxisAndGridValueToLabel) {
  const struct {
    uint64_t Value, Base, Axis;
  } toAxis[] = {
      {0, 1024, 0},
      {999, 1024, 999},          // three digits: no step
      {1000, 1024, 977},         // one step: 1000 × 1000 / 1024 = 976.56
      {1048576, 1024, 1000000},  // 1.0 M lies on the grid line 1000000
      {1073741824, 1024, 1000000000},
      {123456789, 1000, 123456789},  // bits: nothing changes
  };
  for (const auto& c : toAxis) EXPECT_EQ(ToAxisValue(c.Value, c.Base), c.Axis) << c.Value;
  // The largest value converts without overflowing: six steps of 1000 / 1024.
  EXPECT_NEAR(static_cast<double>(ToAxisValue(UINT64_MAX, 1024)), 1.6e19, 1e6);

  const struct {
    uint64_t Grid, Base, Label;
  } toLabel[] = {
      {0, 1024, 0}, {500, 1024, 500}, {200000, 1024, 204800}, {1000000, 1024, 1048576}, {140000, 1000, 140000},
  };
  for (const auto& c : toLabel) EXPECT_EQ(GridLabelValue(c.Grid, c.Base), c.Label) << c.Grid;
}

TEST(PlotGeometry, RectangleAndVisibleCount) {
  const struct {
    bool Grid, LeftToRight, Framed;
    TPlotRect Expected;
  } cases[] = {
      {true, false, true, {35, 6, 399, 199}},   // label column left, inside the frame
      {true, true, true, {0, 6, 364, 199}},     // label column right
      {true, false, false, {33, 4, 400, 200}},  // no frame: one pixel further out
      {false, false, true, {0, 1, 399, 199}},   // no grid: no label column
  };
  for (const auto& c : cases) {
    TPlotLayout layout{400, 200, 35, 13, c.Grid, c.LeftToRight, c.Framed};
    EXPECT_EQ(layout.PlotRect(), c.Expected) << c.Grid << c.LeftToRight << c.Framed;
  }
  TPlotLayout layout{400, 200, 35, 13, true, false, true};
  EXPECT_EQ(layout.VisibleCount(1), 367);
  EXPECT_EQ(layout.VisibleCount(5), 75);
  layout.EnableGrid = false;
  EXPECT_EQ(layout.VisibleCount(1), 402);
}

TEST(LinearScale, WorkedExampleAndTops) {
  EXPECT_EQ(GridSpacing(13), 20);  // 19.5 rounds to the even 20
  EXPECT_EQ(GridSpacing(11), 16);  // 16.5 rounds to the even 16
  const struct {
    uint64_t Top;
    int H;
    int Lines;
    uint64_t Step;
    double ScaleTop;
  } cases[] = {
      {123456, 200, 7, 20000, 140000},   // t 12345.6, unit 10000
      {200000, 200, 10, 20000, 200000},  // an exact multiple keeps its top
      {140001, 200, 8, 20000, 160000},
      {1000, 200, 10, 100, 1000},
      {999, 200, 10, 100, 1000},
      {1, 35, 1, 1, 1},  // one line fits: t 1, step 1
  };
  for (const auto& c : cases) {
    const TLinearScale scale = TLinearScale::Compute(c.Top, c.H, 20, true);
    EXPECT_EQ(scale.GridLines, c.Lines) << c.Top;
    EXPECT_EQ(scale.Step, c.Step) << c.Top;
    EXPECT_DOUBLE_EQ(scale.Top, c.ScaleTop) << c.Top;
    EXPECT_DOUBLE_EQ(scale.ValuePerPixel, c.ScaleTop / c.H) << c.Top;
  }
}

TEST(LinearScale, WithoutLinesAndWithAVerySmallTop) {
  // An empty history: no grid lines.
  EXPECT_EQ(TLinearScale::Compute(0, 200, 20, true).GridLines, 0);
  // No grid: the top is the largest value itself.
  const TLinearScale plain = TLinearScale::Compute(1000, 200, 20, false);
  EXPECT_EQ(plain.GridLines, 0);
  EXPECT_DOUBLE_EQ(plain.ValuePerPixel, 5);
  // Too low for one line.
  EXPECT_EQ(TLinearScale::Compute(1000, 19, 20, true).GridLines, 0);
  // A top of 5 over 10 lines: the step comes out 0, every line reads 0 and
  // bars are as high as their values.
  const TLinearScale tiny = TLinearScale::Compute(5, 200, 20, true);
  EXPECT_EQ(tiny.GridLines, 10);
  EXPECT_EQ(tiny.Step, 0u);
  EXPECT_EQ(tiny.BarHeight(3, 200), 3);
  // No plot at all: nothing divides by the height.
  EXPECT_EQ(TLinearScale::Compute(1000, 0, 20, true).GridLines, 0);
}

TEST(LinearScale, BarHeightsAndGridRows) {
  const TLinearScale scale = TLinearScale::Compute(123456, 200, 20, true);  // 700 per pixel
  EXPECT_EQ(scale.BarHeight(0, 200), 0);
  EXPECT_EQ(scale.BarHeight(699, 200), 0);
  EXPECT_EQ(scale.BarHeight(700, 200), 1);
  EXPECT_EQ(scale.BarHeight(140000, 200), 200);
  EXPECT_EQ(scale.BarHeight(10000000, 200), 200);  // above a fixed top: full height
  EXPECT_EQ(scale.GridRow(7, 6, 200), 6);          // the top line on the plot's top row
  EXPECT_EQ(scale.GridRow(1, 6, 200), 6 + 171);    // 200 / 7 × 6 = 171.4
}

TEST(LogScale, DecadesHeightsAndLabels) {
  const TLogScale scale = TLogScale::Compute(1000000, 205, 20, true);
  EXPECT_EQ(scale.Decades, 6);
  EXPECT_EQ(scale.UsableHeight, 200);  // whole grid spacings
  EXPECT_EQ(scale.GridLines, 10);
  EXPECT_EQ(scale.BarHeight(0), 0);
  EXPECT_EQ(scale.BarHeight(1), 7);  // a value of 1 counts 0.2 decades
  EXPECT_EQ(scale.BarHeight(1000), 100);
  EXPECT_EQ(scale.BarHeight(1000000), 200);
  EXPECT_EQ(scale.BarHeight(UINT64_MAX), 200);  // above a fixed top: full height
  EXPECT_EQ(scale.GridValue(1), 4u);            // 10^0.6
  EXPECT_EQ(scale.GridValue(5), 1000u);
  EXPECT_EQ(scale.GridValue(10), 1000000u);

  EXPECT_EQ(TLogScale::Compute(1000000, 205, 20, false).UsableHeight, 205);
  // A top of 0 or 1 is no decade: nothing is drawn and no line is labelled.
  for (uint64_t top : {0ull, 1ull}) {
    const TLogScale flat = TLogScale::Compute(top, 200, 20, true);
    EXPECT_EQ(flat.GridLines, 0) << top;
    EXPECT_EQ(flat.BarHeight(1), 0) << top;
  }
}

}  // namespace
