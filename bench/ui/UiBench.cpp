// Paint figures of the two controls, one "name value" line each, with the
// target beside each:
//   ui.graph_paint_ms   the traffic graph at 1280 × 400, bars, full history
//   ui.chart_paint_ms   the effect chart at 1280 × 120 with all 8192 entries
// Each is the median of many paints of the whole control into an image, as
// the window's paint event does it.

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "ui/graph/EffectChart.h"
#include "ui/graph/Histogram.h"

namespace {

constexpr double kPaintTargetMs = 5;
constexpr int kPaints = 300;

void Print(const char* name, double value) { std::printf("%s %.6g\n", name, value); }

template <typename TWidget>
double MedianPaintMs(TWidget& widget) {
  QImage target(widget.size(), QImage::Format_ARGB32_Premultiplied);
  std::vector<double> times;
  for (int i = 0; i < kPaints; ++i) {
    const auto start = std::chrono::steady_clock::now();
    widget.render(&target);
    times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  }
  std::nth_element(times.begin(), times.begin() + times.size() / 2, times.end());
  return times[times.size() / 2];
}

double GraphPaintMs() {
  THistogram graph;
  graph.resize(1280, 400);
  // The main window's look.
  graph.SetBackColor(Qt::black);
  graph.SetColorIn(QColor(255, 10, 10));
  graph.SetColorBoth(QColor(255, 150, 40));
  graph.SetColorOut(QColor(128, 255, 0));
  graph.SetTextColor(QColor(192, 192, 192));
  graph.SetOuterFrame(true);
  graph.SetVertTickPeriod(60);
  graph.SetMaxMeanSamples(5);
  graph.SetMeasurementUnit(TMeasurementUnit::muBits);
  for (int i = 0; i < TSampleHistory::kLength; ++i)
    graph.AddSample(100000 + (static_cast<uint64_t>(i) * 7919) % 900000, 50000 + (static_cast<uint64_t>(i) * 104729) % 400000);
  return MedianPaintMs(graph);
}

double ChartPaintMs() {
  TEffectChart chart;
  chart.resize(1280, 120);
  std::vector<TEffectNotification> notifications;
  for (int i = 0; i < TEffectEvents::kLength; ++i) {
    notifications.push_back({WM_EFFECT_FRAME, static_cast<uint16_t>(10 + (i * 37) % 500)});
    if (i % 7 == 0) notifications.push_back({WM_EFFECT_LOSS, 0});
    if (i % 11 == 0) notifications.push_back({WM_EFFECT_DUPLICATION, 0});
    if (i % 13 == 0) notifications.push_back({WM_EFFECT_REORDERING, 0});
  }
  chart.ApplyNotifications(notifications);
  return MedianPaintMs(chart);
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication application(argc, argv);
  Print("ui.graph_paint_ms", GraphPaintMs());
  Print("ui.paint_target_ms", kPaintTargetMs);
  Print("ui.chart_paint_ms", ChartPaintMs());
  Print("ui.paint_target_ms", kPaintTargetMs);
  return 0;
}
