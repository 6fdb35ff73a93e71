#include "tests/ui/graph/GraphTestSupport.h"

#include <QApplication>
#include <QDir>
#include <cstdlib>

#include "ui/graph/Histogram.h"

void EnsureApplication() {
  if (QApplication::instance()) return;
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  static int argc = 1;
  static char name[] = "ot_test_graph";
  static char* argv[] = {name, nullptr};
  new QApplication(argc, argv);
}

void ApplyMainWindowLook(THistogram& graph) {
  graph.SetFramedGraph(true);
  graph.SetFrameColor(QColor(192, 192, 192));
  graph.SetBackColor(Qt::black);
  graph.SetColorIn(QColor(255, 10, 10));
  graph.SetColorBoth(QColor(255, 150, 40));
  graph.SetColorOut(QColor(128, 255, 0));
  graph.SetTextColor(QColor(192, 192, 192));
  graph.SetOuterFrame(true);
  graph.SetVertTickPeriod(60);
  graph.SetMaxMeanSamples(5);
}

QString SaveScreenshot(const QImage& image, const QString& name) {
  const QString folder = QStringLiteral(OT_GRAPH_SCREENSHOTS);
  QDir().mkpath(folder);
  const QString path = folder + QLatin1Char('/') + name + QStringLiteral(".png");
  image.save(path, "PNG");
  return path;
}

int RunUpward(const QImage& image, int x, int bottom, QColor color) {
  int run = 0;
  for (int y = bottom; y >= 0 && image.pixelColor(x, y).rgb() == color.rgb(); --y) ++run;
  return run;
}
