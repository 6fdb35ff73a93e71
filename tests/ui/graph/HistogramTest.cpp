// THistogram painted offscreen: the rules a user reads off the picture (bars
// from the bottom in the "both" colour, the newest sample at the edge, full
// height above a fixed top, logarithmic heights, the offset text in the
// middle, no grid for an empty history) and its properties' rules.
#include <gtest/gtest.h>

#include <QColor>
#include <QFontMetrics>
#include <QtMath>

#include "common/Assertion.h"
#include "tests/ui/graph/GraphTestSupport.h"
#include "ui/graph/Histogram.h"
#include "ui/graph/HistogramRenderer.h"
#include "ui/graph/GraphScale.h"
#include "ui/graph/PlotGeometry.h"
#include "widgets/ScreenScale.h"

namespace {

class HistogramTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { EnsureApplication(); }

  // The graph of the main window at 400 × 220, with the bars drawn inside
  // the plot rectangle that Plot() gives.
  void SetUp() override {
    ApplyMainWindowLook(Graph);
    Graph.resize(400, 220);
  }

  TPlotRect Plot() {
    const QImage image = Graph.GraphBitmap();
    TPlotLayout layout{image.width(), image.height(), Graph.LabelWidth(), Graph.TextHeight(),
                       Graph.EnableGrid(), Graph.LeftToRight(), Graph.FramedGraph()};
    return layout.PlotRect();
  }

  // Pixels of a bar of value v under a scale top, as the scale computes them.
  int Height(uint64_t top, uint64_t v) {
    const int h = Plot().Height();
    return TLinearScale::Compute(top, h, GridSpacing(Graph.TextHeight()), Graph.EnableGrid()).BarHeight(v, h);
  }

  static int CountColor(const QImage& image, QColor color) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) count += image.pixelColor(x, y).rgb() == color.rgb();
    return count;
  }

  THistogram Graph;
};

TEST_F(HistogramTest, BarsRiseFromTheBottomWithTheCommonHeightInTheBothColour) {
  Graph.SetMaxValue(800);
  Graph.AddSample(800, 400);  // bytes below 1000: the axis keeps the values
  const QImage image = Graph.GraphBitmap();
  SaveScreenshot(image, QStringLiteral("graph-one-bar"));
  const TPlotRect r = Plot();
  const int newest = r.Right - 1;  // the newest sample at the right edge
  const int both = RunUpward(image, newest, r.Bottom - 1, Graph.ColorBoth());
  EXPECT_EQ(both, Height(800, 400));
  EXPECT_GT(both, 0);
  EXPECT_EQ(RunUpward(image, newest, r.Bottom - 1 - both, Graph.ColorIn()), Height(800, 800) - both);
  // Nothing older was added: the column beside it is empty down to the frame.
  EXPECT_EQ(image.pixelColor(newest - 1, r.Bottom - 1).rgb(), QColor(Qt::black).rgb());
  // Outgoing larger than incoming: the outgoing colour on top.
  Graph.AddSample(200, 800);
  const QImage second = Graph.GraphBitmap();
  EXPECT_EQ(RunUpward(second, newest, r.Bottom - 1, Graph.ColorBoth()), Height(800, 200));
  EXPECT_EQ(RunUpward(second, newest, r.Bottom - 1 - Height(800, 200), Graph.ColorOut()),
            Height(800, 800) - Height(800, 200));
  EXPECT_EQ(RunUpward(second, newest - 1, r.Bottom - 1, Graph.ColorBoth()), both);  // moved one column back
}

// On a dense screen the graph is drawn at the device pixel ratio: the
// image has ratio × the pixels, a one-pixel bar covers its device columns,
// and the labels have detail a pixel-doubled picture cannot have.
TEST_F(HistogramTest, DrawnAtTheDevicePixelRatio) {
  Graph.SetMaxValue(800);
  Graph.AddSample(800, 800);
  const TPlotRect r = Plot();
  for (qreal ratio : {1.0, 1.5, 2.0}) {
    SCOPED_TRACE(ratio);
    THistogramRenderer renderer;
    const THistogramMetrics metrics{Graph.GraphFont(), Graph.TextHeight(), Graph.LabelWidth()};
    renderer.Render(Graph.Look(), Graph.History(), metrics, Graph.size(), ratio);
    const QImage& image = renderer.Graph();
    const int logicalHeight = Graph.height() - THistogramRenderer::StripHeight(Graph.Look(), Graph.height());
    EXPECT_EQ(image.devicePixelRatio(), ratio);
    EXPECT_EQ(image.size(), QSize(qCeil(400 * ratio), qCeil(logicalHeight * ratio)));
    EXPECT_EQ(renderer.StripTop(), logicalHeight - 1);
    // The newest bar, one logical column wide, full height in the "both" colour.
    const int first = qRound((r.Right - 1) * ratio), end = qRound(r.Right * ratio);
    const int bottom = qRound((r.Bottom - 1) * ratio);
    for (int x = first; x < end; ++x) EXPECT_EQ(image.pixelColor(x, bottom).rgb(), Graph.ColorBoth().rgb()) << x;
    EXPECT_EQ(image.pixelColor(first - 1, bottom).rgb(), QColor(Qt::black).rgb());
    if (ratio != 2.0) continue;
    bool detail = false;
    for (int y = 0; y + 1 < image.height() && !detail; y += 2) {
      for (int x = 0; x + 1 < Graph.LabelWidth() * 2 && !detail; x += 2) {
        const QRgb p = image.pixel(x, y);
        detail = image.pixel(x + 1, y) != p || image.pixel(x, y + 1) != p || image.pixel(x + 1, y + 1) != p;
      }
    }
    EXPECT_TRUE(detail) << "labels drawn at the full density";
    SaveScreenshot(image, QStringLiteral("graph-2x"));
  }
}

// The top line lies half a measured text line below the top; a font drawn
// taller than it was measured must still show its label whole.
TEST_F(HistogramTest, GridLabelsAreNeverCutAtTheTopOrBottom) {
  Graph.SetMaxValue(810);
  Graph.AddSample(810, 0);
  QFont large = Graph.GraphFont();
  large.setPointSizeF(large.pointSizeF() * 2.5);
  const THistogramMetrics metrics{large, Graph.TextHeight(), Graph.LabelWidth() * 3};
  THistogramRenderer renderer;
  renderer.Render(Graph.Look(), Graph.History(), metrics, Graph.size());
  const QImage& image = renderer.Graph();
  SaveScreenshot(image, QStringLiteral("graph-tall-labels"));
  const auto inkInRow = [&](int y) {
    for (int x = 0; x < metrics.LabelWidth - 2; ++x)
      if (image.pixelColor(x, y).rgb() != Graph.BackColor().rgb()) return true;
    return false;
  };
  EXPECT_FALSE(inkInRow(0)) << "the top label reaches the edge: cut";
  bool anyInk = false;
  for (int y = 1; y < image.height() / 3; ++y) anyInk = anyInk || inkInRow(y);
  EXPECT_TRUE(anyInk) << "the top label is drawn";
}

TEST_F(HistogramTest, SamplesAboveAFixedTopAreDrawnAtFullHeight) {
  Graph.SetMaxValue(100);
  Graph.AddSample(900, 0);
  const QImage image = Graph.GraphBitmap();
  const TPlotRect r = Plot();
  EXPECT_EQ(RunUpward(image, r.Right - 1, r.Bottom - 1, Graph.ColorIn()), r.Height());
}

TEST_F(HistogramTest, LeftToRightPutsTheNewestSampleAtTheLeft) {
  Graph.SetLeftToRight(true);
  Graph.SetMaxValue(100);
  Graph.AddSample(500, 0);
  const QImage image = Graph.GraphBitmap();
  const TPlotRect r = Plot();
  EXPECT_EQ(RunUpward(image, r.Left + 1, r.Bottom - 1, Graph.ColorIn()), r.Height());
  EXPECT_EQ(image.pixelColor(r.Left + 2, r.Bottom - 1).rgb(), QColor(Qt::black).rgb());
}

TEST_F(HistogramTest, LogarithmicHeightsAreDecadesOfTheUsableHeight) {
  Graph.SetLogarithmic(true);
  Graph.SetEnableGrid(false);  // no grid: the usable height is the plot height
  Graph.AddSample(10, 0);
  Graph.AddSample(100, 0);  // top 100: two decades
  const QImage image = Graph.GraphBitmap();
  SaveScreenshot(image, QStringLiteral("graph-log-two-bars"));
  const TPlotRect r = Plot();
  EXPECT_EQ(RunUpward(image, r.Right - 1, r.Bottom - 1, Graph.ColorIn()), r.Height());
  EXPECT_NEAR(RunUpward(image, r.Right - 2, r.Bottom - 1, Graph.ColorIn()), r.Height() / 2.0, 0.5);
}

TEST_F(HistogramTest, PolylinePointsLieOnTheValuesRows) {
  Graph.SetLineType(TLineType::ltPolyLine);
  Graph.SetMaxValue(800);
  Graph.SetEnableGrid(false);
  for (int i = 0; i < 200; ++i) Graph.AddSample(400, 0);
  const QImage image = Graph.GraphBitmap();
  const TPlotRect r = Plot();
  const int row = r.Bottom - Height(800, 400) - 1;
  for (int x : {r.Right - 1, r.Right - 1 - 5 * 10, r.Left + 1})
    EXPECT_EQ(image.pixelColor(x, row).rgb(), Graph.ColorIn().rgb()) << x;
  EXPECT_EQ(image.pixelColor(r.Right - 1, row - 1).rgb(), QColor(Qt::black).rgb());
}

TEST_F(HistogramTest, AnEmptyHistoryHasNoGridLinesAndZeroAverages) {
  Graph.SetVertTickPeriod(0);
  EXPECT_EQ(CountColor(Graph.GraphBitmap(), Graph.TickColor()), 0);
  const auto [in, out] = AverageTexts(Graph.Look(), Graph.History());
  EXPECT_EQ(in.Text.toStdString(), "In: 0");
  EXPECT_EQ(out.Text.toStdString(), "Out: 0");
  // With samples the dotted lines appear.
  Graph.AddSample(500, 100);
  EXPECT_GT(CountColor(Graph.GraphBitmap(), Graph.TickColor()), 0);
}

TEST_F(HistogramTest, AveragesTwoSecondsAfterAStart) {
  Graph.Clear();
  Graph.AddSample(1000, 0);
  Graph.AddSample(1000, 0);
  const auto [in, out] = AverageTexts(Graph.Look(), Graph.History());
  EXPECT_EQ(in.Text.toStdString(), "In: 400");  // 2000 over 5 samples
  EXPECT_EQ(in.Color, Graph.ColorIn());
  Graph.SetMonochromeLabels(true);
  EXPECT_EQ(AverageTexts(Graph.Look(), Graph.History()).second.Color, Graph.TextColor());
  // The averages use the newest samples however far back the graph looks.
  Graph.StepBack(60);
  EXPECT_EQ(AverageTexts(Graph.Look(), Graph.History()).first.Text.toStdString(), "In: 400");
}

TEST_F(HistogramTest, TheOffsetTextIsCentredInTheGraph) {
  const QImage present = Graph.GraphBitmap();
  Graph.StepBack(60);
  const QImage past = Graph.GraphBitmap();
  SaveScreenshot(past, QStringLiteral("graph-offset"));
  QRect changed;
  for (int y = 0; y < past.height(); ++y)
    for (int x = 0; x < past.width(); ++x)
      if (past.pixel(x, y) != present.pixel(x, y)) changed |= QRect(x, y, 1, 1);
  ASSERT_FALSE(changed.isEmpty());
  const QFontMetrics metrics(Graph.GraphFont());
  EXPECT_NEAR(changed.width(), metrics.horizontalAdvance(QStringLiteral("-1 min")), 3);
  EXPECT_NEAR(changed.center().x(), past.width() / 2.0, 3);
  EXPECT_NEAR(changed.center().y(), past.height() / 2.0, 4);
}

TEST_F(HistogramTest, StepsStayWithinTheHistory) {
  Graph.StepForward(60);
  EXPECT_EQ(Graph.HistoryOffset(), 0);
  Graph.StepBack(60);
  EXPECT_EQ(Graph.HistoryOffset(), 60);
  Graph.StepBack(100000);
  EXPECT_EQ(Graph.HistoryOffset(), 65534);
  Graph.StepForward(65000);
  EXPECT_EQ(Graph.HistoryOffset(), 534);
  Graph.SetHistoryOffset(-5);
  EXPECT_EQ(Graph.HistoryOffset(), 0);
  // Averages only: nothing to step through.
  Graph.SetLineType(TLineType::ltNumeric);
  Graph.StepBack(60);
  EXPECT_EQ(Graph.HistoryOffset(), 0);
}

TEST_F(HistogramTest, AViewIntoThePastMovesWithThePresent) {
  Graph.SetMaxValue(100);
  Graph.AddSample(800, 0);
  Graph.AddSample(0, 0);
  Graph.StepBack(1);
  const TPlotRect r = Plot();
  EXPECT_EQ(RunUpward(Graph.GraphBitmap(), r.Right - 1, r.Bottom - 1, Graph.ColorIn()), r.Height());
  Graph.AddSample(0, 0);  // the offset stays: the sample drawn at the edge is the one before
  EXPECT_EQ(RunUpward(Graph.GraphBitmap(), r.Right - 1, r.Bottom - 1, Graph.ColorIn()), 0);
}

TEST_F(HistogramTest, UnitRules) {
  Graph.AddSample(125, 1);
  EXPECT_EQ(Graph.History().In(0), 125u);
  // A unit change erases the history; bits are stored eight times larger.
  Graph.SetMeasurementUnit(TMeasurementUnit::muBits);
  EXPECT_EQ(Graph.History().SampleCount(), 0u);
  EXPECT_EQ(Graph.History().In(0), 0u);
  Graph.AddSample(125, 1);
  EXPECT_EQ(Graph.History().In(0), 1000u);
  EXPECT_EQ(Graph.FormatValue(Graph.History().In(0)).toStdString(), "1.0 K");
  // Setting the same unit again keeps what was drawn.
  Graph.SetMeasurementUnit(TMeasurementUnit::muBits);
  EXPECT_EQ(Graph.History().SampleCount(), 1u);
}

TEST_F(HistogramTest, PropertyChecksAndTheLabelColumn) {
  EXPECT_THROW(Graph.SetVertTickPeriod(-1), EAssertionFailed);
  EXPECT_THROW(Graph.SetLineStep(0), EAssertionFailed);
  EXPECT_EQ(Graph.LabelWidth(), ScaleToScreen(35));
  // A longer unit text widens the label column to the widest label.
  Graph.SetKScale(QStringLiteral("KBytes/s"));
  const QFontMetrics metrics(Graph.GraphFont());
  EXPECT_EQ(Graph.LabelWidth(), metrics.horizontalAdvance(QStringLiteral("977 KBytes/s")) + ScaleToScreen(10));
}

TEST_F(HistogramTest, StripAndFramesOfTheWholeControl) {
  Graph.AddSample(500, 500);
  const int stripHeight = THistogramRenderer::StripHeight(Graph.Look(), Graph.height());
  EXPECT_EQ(Graph.GraphBitmap().height(), Graph.height() - stripHeight);
  const QImage control = Graph.grab().toImage();
  EXPECT_EQ(control.pixelColor(0, 0).rgb(), QColor(Qt::white).rgb());  // the outer frame
  EXPECT_EQ(control.pixelColor(control.width() - 1, control.height() - 1).rgb(), QColor(Qt::white).rgb());
  // The strip's outline, inset by 2 pixels, over the graph's last row.
  const int stripTop = Graph.height() - stripHeight - 1;
  EXPECT_EQ(control.pixelColor(20, stripTop + 2).rgb(), Graph.FrameColor().rgb());
  // Averages only: no graph area at all.
  Graph.SetLineType(TLineType::ltNumeric);
  EXPECT_EQ(Graph.GraphBitmap().height(), 0);
  // The averages box instead of the strip: the graph takes the whole control.
  Graph.SetLineType(TLineType::ltBars);
  Graph.SetOverlaid(true);
  EXPECT_EQ(Graph.GraphBitmap().height(), Graph.height());
}

// A day of traffic in the main window's look, for a look by eye.
TEST_F(HistogramTest, Screenshots) {
  Graph.resize(640, 240);
  Graph.SetMeasurementUnit(TMeasurementUnit::muBits);
  for (int i = 0; i < 900; ++i) {
    const uint64_t in = 40000 + static_cast<uint64_t>(30000 * (1 + ((i / 40) % 3))) + (i * 7919) % 9000;
    const uint64_t out = 15000 + (i * 104729) % 50000 + ((i / 150) % 2) * 90000;  // at times above incoming
    Graph.AddSample(in, out);
  }
  const auto shot = [&](const QString& name) {
    SaveScreenshot(Graph.grab().toImage(), name);
  };
  shot(QStringLiteral("graph-bars"));
  Graph.SetLineType(TLineType::ltPolyLine);
  Graph.SetLineStep(3);
  Graph.SetVertTickPeriod(180);
  shot(QStringLiteral("graph-polyline"));
  Graph.SetLineType(TLineType::ltBars);
  Graph.SetVertTickPeriod(60);
  Graph.SetLogarithmic(true);
  shot(QStringLiteral("graph-logarithmic"));
  Graph.SetLogarithmic(false);
  Graph.SetOverlaid(true);
  Graph.SetSmooth(true);
  Graph.StepBack(90);
  shot(QStringLiteral("graph-overlaid-offset"));
}

}  // namespace
