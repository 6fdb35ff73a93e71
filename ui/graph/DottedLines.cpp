#include "ui/graph/DottedLines.h"

#include <algorithm>

namespace {
constexpr int kDotPeriod = 4;

// The first index at or after from that lies on the dot pattern starting at start.
int FirstDotAtOrAfter(int start, int from) {
  if (from <= start) return start;
  return start + (from - start + kDotPeriod - 1) / kDotPeriod * kDotPeriod;
}
}  // namespace

void DrawDottedHorizontal(QImage& image, int x0, int x1, int y, QRgb color) {
  if (y < 0 || y >= image.height()) return;
  auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
  const int last = std::min(x1, image.width() - 1);
  for (int x = FirstDotAtOrAfter(x0, 0); x <= last; x += kDotPeriod) row[x] = color;
}

void DrawDottedVertical(QImage& image, int x, int y0, int y1, QRgb color) {
  if (x < 0 || x >= image.width()) return;
  const int last = std::min(y1, image.height() - 1);
  for (int y = FirstDotAtOrAfter(y0, 0); y <= last; y += kDotPeriod) reinterpret_cast<QRgb*>(image.scanLine(y))[x] = color;
}
