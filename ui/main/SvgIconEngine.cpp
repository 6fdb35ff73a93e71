#include "ui/main/SvgIconEngine.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace {

void MakeDisabledLook(QImage& image) {
  for (int y = 0; y < image.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      // The grey is worked out on the plain colour, then multiplied by the
      // new coverage again: a premultiplied channel above its alpha would
      // be drawn as garbage, dark blobs in practice.
      const QRgb plain = qUnpremultiply(line[x]);
      const int grey = qGray(plain) / 2 + 64;
      line[x] = qPremultiply(qRgba(grey, grey, grey, qAlpha(plain) / 2));
    }
  }
}

}  // namespace

QImage TSvgIconEngine::Render(const QSize& pixels, QIcon::Mode mode) const {
  QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QSvgRenderer renderer(FSvg);
  QPainter painter(&image);
  renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(pixels)));
  painter.end();
  if (mode == QIcon::Disabled) MakeDisabledLook(image);
  return image;
}

void TSvgIconEngine::paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) {
  const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
  const QImage image = Render(rect.size() * ratio, mode);
  painter->drawImage(rect, image);
}

QPixmap TSvgIconEngine::pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) {
  return QPixmap::fromImage(Render(size, mode));
}

QPixmap TSvgIconEngine::scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State, qreal scale) {
  QPixmap pixmap = QPixmap::fromImage(Render(size * scale, mode));
  pixmap.setDevicePixelRatio(scale);
  return pixmap;
}
