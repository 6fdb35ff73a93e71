#include "ui/graph/DevicePixels.h"

#include <QtMath>
#include <algorithm>

namespace {

int DeviceEdge(int logical, qreal ratio) { return qRound(logical * ratio); }

}  // namespace

QSize LogicalSize(const QImage& image) {
  const qreal ratio = image.devicePixelRatio();
  return QSize(qCeil(image.width() / ratio), qCeil(image.height() / ratio));
}

void FillLogicalRect(QImage& image, int left, int top, int right, int bottom, QRgb color) {
  const qreal ratio = image.devicePixelRatio();
  const int x0 = std::max(DeviceEdge(left, ratio), 0);
  const int x1 = std::min(DeviceEdge(right + 1, ratio), image.width());
  const int y0 = std::max(DeviceEdge(top, ratio), 0);
  const int y1 = std::min(DeviceEdge(bottom + 1, ratio), image.height());
  for (int y = y0; y < y1; ++y) {
    auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    std::fill(row + x0, row + std::max(x0, x1), color);
  }
}

void EnsureDeviceImage(QImage& image, QSize logicalSize, qreal ratio, QImage::Format format) {
  const QSize device(qCeil(logicalSize.width() * ratio), qCeil(logicalSize.height() * ratio));
  if (image.size() == device && image.devicePixelRatio() == ratio && image.format() == format) return;
  image = QImage(device, format);
  image.setDevicePixelRatio(ratio);
}
