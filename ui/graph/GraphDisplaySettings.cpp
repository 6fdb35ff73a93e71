#include "ui/graph/GraphDisplaySettings.h"

#include <algorithm>

#include "common/Assertion.h"
#include "ui/graph/Histogram.h"

namespace {
constexpr int kTickSamples = 60;
// A vertical line period of step × 60 pixels must stay a valid int.
constexpr int32_t kLargestPolylineStep = 10000;
}  // namespace

void ApplyGraphDisplaySettings(THistogram& graph, const TGraphDisplaySettings& settings) {
  OT_ASSERT(settings.GraphUnit <= 1, "GUIMain", "unknown graph unit");
  OT_ASSERT(settings.GraphType <= 1, "GUIMain", "unknown graph type");
  graph.SetMeasurementUnit(settings.GraphUnit == 0 ? TMeasurementUnit::muBits : TMeasurementUnit::muBytes);
  if (settings.GraphType == 0) {
    graph.SetLineType(TLineType::ltBars);
    graph.SetVertTickPeriod(kTickSamples);
  } else {
    graph.SetLineType(TLineType::ltPolyLine);
    graph.SetLineStep(std::clamp(settings.PolylineStep, 1, kLargestPolylineStep));
    graph.SetVertTickPeriod(graph.LineStep() * kTickSamples);
  }
  graph.SetMaxValue(settings.GraphAutoScale ? 0 : static_cast<uint64_t>(std::max(settings.AutoScaleValue, 0)));
}
