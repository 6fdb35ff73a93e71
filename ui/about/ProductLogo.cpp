#include "ui/about/ProductLogo.h"

#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <numbers>

namespace {

void DrawTile(QPainter& painter, const QRectF& tile) {
  QLinearGradient gradient(tile.topLeft(), tile.bottomRight());
  gradient.setColorAt(0, QColor(24, 52, 110));
  gradient.setColorAt(1, QColor(8, 20, 48));
  painter.setPen(Qt::NoPen);
  painter.setBrush(gradient);
  const qreal radius = tile.width() * 0.18;
  painter.drawRoundedRect(tile, radius, radius);
}

// The clean half: a smooth sine wave over the left half of the tile.
QPainterPath CleanWave(const QRectF& tile) {
  QPainterPath path;
  const qreal middle = tile.center().y();
  const qreal amplitude = tile.height() * 0.2;
  const int steps = 48;
  for (int i = 0; i <= steps; ++i) {
    const qreal x = tile.left() + tile.width() * 0.12 + tile.width() * 0.38 * i / steps;
    const qreal y = middle - amplitude * std::sin(2 * std::numbers::pi * i / steps);
    if (i == 0)
      path.moveTo(x, y);
    else
      path.lineTo(x, y);
  }
  return path;
}

// The degraded half: the same wave held in coarse steps, with a gap where a
// frame was lost.
QPainterPath DegradedWave(const QRectF& tile) {
  QPainterPath path;
  const qreal middle = tile.center().y();
  const qreal amplitude = tile.height() * 0.2;
  const int steps = 6;
  const qreal stepWidth = tile.width() * 0.38 / steps;
  for (int i = 0; i < steps; ++i) {
    if (i == 3) continue;  // the lost frame
    const qreal x = tile.left() + tile.width() * 0.5 + stepWidth * i;
    const qreal y = middle - amplitude * std::sin(2 * std::numbers::pi * (i + 0.5) / steps);
    path.moveTo(x, y);
    path.lineTo(x + stepWidth * 0.8, y);
  }
  return path;
}

}  // namespace

QPixmap ProductLogo(int side) {
  QPixmap pixmap(side, side);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF tile(0.5, 0.5, side - 1.0, side - 1.0);
  DrawTile(painter, tile);
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(QColor(128, 255, 0), std::max(1.5, side / 16.0), Qt::SolidLine, Qt::RoundCap));
  painter.drawPath(CleanWave(tile));
  painter.setPen(QPen(QColor(255, 150, 40), std::max(1.5, side / 16.0), Qt::SolidLine, Qt::RoundCap));
  painter.drawPath(DegradedWave(tile));
  return pixmap;
}

QIcon ProgramIcon() {
  const QIcon icon = QGuiApplication::windowIcon();
  if (!icon.isNull()) return icon;
  QIcon logo;
  for (int side : {16, 32, 48, 64}) logo.addPixmap(ProductLogo(side));
  return logo;
}
