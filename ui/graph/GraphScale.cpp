#include "ui/graph/GraphScale.h"

#include <algorithm>
#include <cmath>

#include "ui/graph/AxisValues.h"

int GridSpacing(int textHeight) { return std::max<int>(1, static_cast<int>(RoundHalfEven(textHeight * 1.5))); }

TLinearScale TLinearScale::Compute(uint64_t top, int h, int spacing, bool enableGrid) {
  TLinearScale scale;
  scale.Top = static_cast<double>(top);
  if (h <= 0) return scale;
  const int mostLines = spacing > 0 ? h / spacing : 0;
  if (!enableGrid || top == 0 || mostLines == 0) {
    scale.ValuePerPixel = scale.Top / h;
    return scale;
  }
  // One significant digit: t = 12345.6 gives the unit 10000 and the step 20000.
  const double t = scale.Top / mostLines;
  const double unit = std::pow(10.0, std::ceil(std::log10(t) - 1));
  scale.Step = RoundHalfEven(unit * std::ceil(t / unit));
  if (scale.Step == 0) {
    // A top of a few units: lines that all read 0, bars one pixel per unit.
    scale.GridLines = mostLines;
    scale.Top = 0;
    scale.ValuePerPixel = 0;
    return scale;
  }
  const uint64_t lines = top / scale.Step + (top % scale.Step != 0 ? 1 : 0);
  scale.GridLines = static_cast<int>(lines);
  scale.Top = static_cast<double>(scale.Step) * static_cast<double>(lines);
  scale.ValuePerPixel = scale.Top / h;
  return scale;
}

int TLinearScale::BarHeight(uint64_t v, int h) const {
  const double pixels = ValuePerPixel == 0 ? static_cast<double>(v) : std::floor(static_cast<double>(v) / ValuePerPixel);
  return pixels >= h ? std::max(h, 0) : static_cast<int>(pixels);
}

int TLinearScale::GridRow(int i, int plotTop, int h) const {
  return plotTop + static_cast<int>(RoundHalfEven(static_cast<double>(h) / GridLines * (GridLines - i)));
}

TLogScale TLogScale::Compute(uint64_t top, int h, int spacing, bool enableGrid) {
  TLogScale scale;
  scale.Spacing = std::max(spacing, 1);
  if (h <= 0) return scale;
  scale.Decades = top == 0 ? 0 : static_cast<int>(std::ceil(std::log10(static_cast<double>(top))));
  scale.UsableHeight = enableGrid ? h / scale.Spacing * scale.Spacing : h;
  // A scale below one decade would label every line 1.
  if (enableGrid && scale.Decades >= 1) scale.GridLines = h / scale.Spacing;
  return scale;
}

int TLogScale::BarHeight(uint64_t v) const {
  if (Decades < 1) return 0;
  const double decadesOfValue = v == 0 ? 0.0 : (v == 1 ? 0.2 : std::log10(static_cast<double>(v)));
  const double pixels = decadesOfValue / Decades * UsableHeight;
  return std::min(static_cast<int>(RoundHalfEven(pixels)), UsableHeight);
}

uint64_t TLogScale::GridValue(int i) const {
  const double exponent = i == GridLines ? Decades : static_cast<double>(i) * Decades / GridLines;
  return RoundHalfEven(std::pow(10.0, exponent));
}
