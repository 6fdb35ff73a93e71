#pragma once
// Paints the traffic graph into its two off-screen images: the graph area
// (background, frame, series, grid, offset text, averages box) and the
// averages strip below it. The images are kept between paints and only
// reallocated when the control's size or its screen's device pixel ratio
// changes. They are drawn at that ratio, so that lines and text stay sharp
// on a dense screen; every position is in logical pixels.

#include <QFont>
#include <QImage>
#include <QPolygon>
#include <QSize>
#include <utility>

#include "ui/graph/HistogramLook.h"
#include "ui/graph/PlotGeometry.h"
#include "ui/graph/SampleHistory.h"

struct THistogramMetrics {
  QFont GraphFont;     // labels and the offset text
  int TextHeight = 0;  // of the letter W in GraphFont
  int LabelWidth = 0;  // the label column
};

class THistogramRenderer {
 public:
  void Render(const THistogramLook& look, const TSampleHistory& history, const THistogramMetrics& metrics,
              QSize control, qreal ratio = 1.0);

  const QImage& Graph() const { return FGraph; }
  // The strip is drawn at StripTop, over the graph's last pixel row, down to
  // the control's bottom; it is empty when there is no strip.
  const QImage& Strip() const { return FStrip; }
  int StripTop() const { return FGraphSize.height() == 0 ? 0 : FGraphSize.height() - 1; }

  // The strip's height for a control: the whole control for averages only,
  // else one text line (two with TwoRowAverages) plus a margin, or nothing.
  static int StripHeight(const THistogramLook& look, int controlHeight);

 private:
  struct TPass;

  void PaintBackground(const THistogramLook& look, const TPlotLayout& layout);
  void PaintSeries(const THistogramLook& look, const TSampleHistory& history, const TPass& pass);
  void PaintBars(const THistogramLook& look, const TSampleHistory& history, const TPass& pass, int startX,
                 int direction);
  void PaintGrid(const THistogramLook& look, const TPlotLayout& layout, const TPass& pass,
                 const THistogramMetrics& metrics);
  void PaintOffset(const THistogramLook& look, const QFont& font);
  void PaintAveragesBox(const THistogramLook& look, const TSampleHistory& history, const TPlotRect& r);
  void PaintStrip(const THistogramLook& look, const TSampleHistory& history);

  QImage FGraph;
  QImage FStrip;
  // The two images' sizes in logical pixels.
  QSize FGraphSize;
  QSize FStripSize;
  QPolygon FPoints;  // polyline points, reused between paints
};

// The two averages texts, "In: 400" and "Out: 0", with their colours.
struct TAverageText {
  QString Text;
  QColor Color;
};
std::pair<TAverageText, TAverageText> AverageTexts(const THistogramLook& look, const TSampleHistory& history);
