// GraphPopupMenu's entries and update rules, and the display settings'
// graph half.
#include <gtest/gtest.h>

#include <QAction>

#include "common/Assertion.h"
#include "tests/ui/graph/GraphTestSupport.h"
#include "ui/graph/GraphDisplaySettings.h"
#include "ui/graph/GraphPopupMenu.h"
#include "ui/graph/GraphSaveDialog.h"
#include "ui/graph/Histogram.h"

namespace {

class GraphMenuTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { EnsureApplication(); }
  THistogram Graph;
  QAction Options{QStringLiteral("&Options")};
  TTrafficSamples Samples;
  TGraphPopupMenu Menu{&Graph, &Options, &Samples};
};

TEST_F(GraphMenuTest, EntriesInTheirOrder) {
  QStringList entries;
  for (QAction* action : Menu.actions()) entries << (action->isSeparator() ? QStringLiteral("-") : action->text());
  EXPECT_EQ(entries.join(QLatin1Char('|')).toStdString(), "&Options|-|Step &Backward|Step &Forward|-|&Save...");
  EXPECT_EQ(Menu.objectName().toStdString(), "GraphPopupMenu");
  EXPECT_EQ(Graph.PopupMenu(), &Menu);
  EXPECT_EQ(Menu.ActionGraphGoBack()->shortcut(), QKeySequence(QStringLiteral("Ctrl+B")));
  EXPECT_EQ(Menu.ActionGraphGoForward()->shortcut(), QKeySequence(QStringLiteral("Ctrl+F")));
  EXPECT_EQ(Menu.ActionGraphGoBack()->statusTip().toStdString(), "Go 1 min backward");
  EXPECT_EQ(Menu.ActionGraphSave()->statusTip().toStdString(), "Save the graph");
  // The shortcuts work through the graph's window.
  EXPECT_TRUE(Graph.actions().contains(Menu.ActionGraphGoBack()));
}

TEST_F(GraphMenuTest, StepsByAMinuteUpToHalfAnHourBack) {
  EXPECT_TRUE(Menu.ActionGraphGoBack()->isEnabled());
  EXPECT_FALSE(Menu.ActionGraphGoForward()->isEnabled());  // at the present
  for (int i = 0; i < 29; ++i) Menu.ActionGraphGoBack()->trigger();
  EXPECT_EQ(Graph.HistoryOffset(), 1740);
  EXPECT_TRUE(Menu.ActionGraphGoBack()->isEnabled());
  Menu.ActionGraphGoBack()->trigger();
  EXPECT_EQ(Graph.HistoryOffset(), 1800);
  EXPECT_FALSE(Menu.ActionGraphGoBack()->isEnabled());
  EXPECT_TRUE(Menu.ActionGraphGoForward()->isEnabled());
  Menu.ActionGraphGoForward()->trigger();
  EXPECT_EQ(Graph.HistoryOffset(), 1740);
  EXPECT_TRUE(Menu.ActionGraphGoBack()->isEnabled());
}

TEST(GraphSaveDialog, FiltersAndTheirTypes) {
  EXPECT_EQ(GraphSaveFilters().toStdString(), "CSV files (*.csv);;BMP files (*.bmp);;PNG files (*.png)");
  EXPECT_EQ(GraphFileTypeOfFilter(QStringLiteral("CSV files (*.csv)")), TGraphFileType::CSV);
  EXPECT_EQ(GraphFileTypeOfFilter(QStringLiteral("BMP files (*.bmp)")), TGraphFileType::BMP);
  EXPECT_EQ(GraphFileTypeOfFilter(QStringLiteral("PNG files (*.png)")), TGraphFileType::PNG);
}

TEST(GraphDisplaySettings, AppliedToTheGraph) {
  EnsureApplication();
  const struct {
    TGraphDisplaySettings Settings;
    TMeasurementUnit Unit;
    TLineType Type;
    int Step;
    int TickPeriod;
    uint64_t Max;
  } cases[] = {
      {{0, 0, 3, true, 5000}, TMeasurementUnit::muBits, TLineType::ltBars, 5, 60, 0},
      {{1, 1, 3, false, 5000}, TMeasurementUnit::muBytes, TLineType::ltPolyLine, 3, 180, 5000},
      {{1, 1, 0, false, -7}, TMeasurementUnit::muBytes, TLineType::ltPolyLine, 1, 60, 0},  // stored nonsense
  };
  for (const auto& c : cases) {
    THistogram graph;
    ApplyGraphDisplaySettings(graph, c.Settings);
    EXPECT_EQ(graph.MeasurementUnit(), c.Unit);
    EXPECT_EQ(graph.LineType(), c.Type);
    EXPECT_EQ(graph.LineStep(), c.Step);
    EXPECT_EQ(graph.VertTickPeriod(), c.TickPeriod);
    EXPECT_EQ(graph.MaxValue(), c.Max);
  }
  THistogram graph;
  EXPECT_THROW(ApplyGraphDisplaySettings(graph, {2, 0, 3, true, 0}), EAssertionFailed);
  EXPECT_THROW(ApplyGraphDisplaySettings(graph, {0, 2, 3, true, 0}), EAssertionFailed);
  // Applying the same unit again (after the options window) keeps the history.
  ApplyGraphDisplaySettings(graph, {1, 0, 3, true, 0});
  graph.AddSample(10, 10);
  ApplyGraphDisplaySettings(graph, {1, 0, 3, true, 0});
  EXPECT_EQ(graph.History().SampleCount(), 1u);
  ApplyGraphDisplaySettings(graph, {0, 0, 3, true, 0});
  EXPECT_EQ(graph.History().SampleCount(), 0u);
}

}  // namespace
