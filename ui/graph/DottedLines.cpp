#include "ui/graph/DottedLines.h"

#include <algorithm>

#include "ui/graph/DevicePixels.h"

namespace {
constexpr int kDotPeriod = 4;

// The first index at or after from that lies on the dot pattern starting at start.
int FirstDotAtOrAfter(int start, int from) {
  if (from <= start) return start;
  return start + (from - start + kDotPeriod - 1) / kDotPeriod * kDotPeriod;
}
}  // namespace

void DrawDottedHorizontal(QImage& image, int x0, int x1, int y, QRgb color) {
  const QSize size = LogicalSize(image);
  if (y < 0 || y >= size.height()) return;
  const int last = std::min(x1, size.width() - 1);
  for (int x = FirstDotAtOrAfter(x0, 0); x <= last; x += kDotPeriod) FillLogicalRect(image, x, y, x, y, color);
}

void DrawDottedVertical(QImage& image, int x, int y0, int y1, QRgb color) {
  const QSize size = LogicalSize(image);
  if (x < 0 || x >= size.width()) return;
  const int last = std::min(y1, size.height() - 1);
  for (int y = FirstDotAtOrAfter(y0, 0); y <= last; y += kDotPeriod) FillLogicalRect(image, x, y, x, y, color);
}
