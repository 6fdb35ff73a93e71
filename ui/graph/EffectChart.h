#pragma once
// TEffectChart: one pixel column per frame that entered the impairment
// stage, the newest at the right edge, in five lanes. The latency lane draws
// each frame's delay as a bar scaled to the largest delay on screen; the
// other lanes mark the frames that were lost, duplicated, held back for
// reordering or corrupted. Notifications only change the entries; the chart
// is repainted when its owner asks (once a second) and on exposure.

#include <QImage>
#include <QWidget>
#include <vector>

#include "engine/EffectChannel.h"
#include "ui/graph/EffectEvents.h"

class TEffectChart : public QWidget {
  Q_OBJECT

 public:
  explicit TEffectChart(QWidget* parent = nullptr);

  // Every entry to 0, then repaint.
  void Clear();
  // Notifications drained from the engine's effect channel, in their order.
  void ApplyNotifications(const std::vector<TEffectNotification>& notifications);

  const TEffectEvents& Events() const { return FEvents; }
  // The chart as painted now, at the widget's size.
  QImage Render();
  int NameWidth() const { return FNameWidth; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void PaintLanes(QImage& image) const;

  TEffectEvents FEvents;
  QImage FBuffer;
  int FNameWidth = 0;  // the widest lane name in the chart's font
};
