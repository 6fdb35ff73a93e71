#include "ui/graph/EffectChart.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

#include "ui/graph/AxisValues.h"
#include "ui/graph/DevicePixels.h"
#include "ui/graph/EffectChartLayout.h"

namespace {

const QColor kBackground(51, 51, 51);
const QColor kOutline(128, 128, 128);

// A column of logical pixels from row top to row bottom (inclusive), clipped
// to the image.
void FillColumn(QImage& image, int x, int top, int bottom, QRgb color) {
  FillLogicalRect(image, x, top, x, bottom, color);
}

}  // namespace

TEffectChart::TEffectChart(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMinimumHeight(120);
  const QFontMetrics metrics(font());
  for (const TEffectLane& lane : kEffectLanes)
    FNameWidth = std::max(FNameWidth, metrics.horizontalAdvance(QString::fromLatin1(lane.Name)));
}

void TEffectChart::Clear() {
  FEvents.Clear();
  update();
}

void TEffectChart::ApplyNotifications(const std::vector<TEffectNotification>& notifications) {
  FEvents.Apply(notifications);
}

QImage TEffectChart::Render() {
  // Drawn at the screen's device pixel ratio: sharp names on a dense
  // screen, one logical pixel column per frame.
  EnsureDeviceImage(FBuffer, size(), devicePixelRatioF(), QImage::Format_RGB32);
  if (FBuffer.isNull()) return FBuffer;
  QPainter painter(&FBuffer);
  painter.setPen(kOutline);
  painter.setBrush(kBackground);
  painter.drawRect(rect().adjusted(0, 0, -1, -1));

  const TEffectChartLayout layout = TEffectChartLayout::Compute(width(), height(), FNameWidth);
  painter.setFont(font());
  const QFontMetrics metrics(font());
  for (size_t i = 0; i < kEffectLanes.size(); ++i) {
    painter.setPen(kEffectLanes[i].Color);
    painter.drawText(10, layout.NameTop[i] + metrics.ascent(), QString::fromLatin1(kEffectLanes[i].Name));
  }
  painter.end();
  PaintLanes(FBuffer);
  return FBuffer;
}

void TEffectChart::PaintLanes(QImage& image) const {
  const TEffectChartLayout layout = TEffectChartLayout::Compute(width(), height(), FNameWidth);
  QPainter painter(&image);
  for (const QRect& lane : layout.Lanes)
    if (lane.isValid()) painter.fillRect(lane, Qt::black);
  painter.end();

  // Both ends of a column are lane pixels: the newest frame in the lane's last column.
  const int columns = std::min(layout.Lanes[0].width(), TEffectEvents::kLength);
  if (columns <= 0 || layout.Lanes[0].height() <= 0) return;
  const uint32_t largestDelay = FEvents.LargestDelay(columns);
  for (size_t i = 0; i < kEffectLanes.size(); ++i) {
    const QRect& lane = layout.Lanes[i];
    const QRgb color = kEffectLanes[i].Color.rgb();
    const int bottom = lane.bottom();  // the last row inside the lane
    for (int j = 0; j < columns; ++j) {
      const uint32_t entry = FEvents.At(j);
      const int x = lane.right() - j;
      if (kEffectLanes[i].Flag == 0) {
        const uint32_t delay = TEffectEvents::DelayOf(entry);
        if (largestDelay == 0 || delay == 0) continue;
        // Full height for the largest delay, proportionally less for others.
        const double top = (bottom + 1) - static_cast<double>(lane.height()) * delay / largestDelay;
        FillColumn(image, x, static_cast<int>(RoundHalfEven(top)), bottom, color);
      } else if ((entry & kEffectLanes[i].Flag) != 0) {
        FillColumn(image, x, lane.top(), bottom, color);
      }
    }
  }
}

void TEffectChart::paintEvent(QPaintEvent*) {
  Render();
  QPainter painter(this);
  painter.drawImage(0, 0, FBuffer);
}
