#include "ui/graph/EffectChartLayout.h"

#include "ui/graph/EffectEvents.h"

const std::array<TEffectLane, 5> kEffectLanes = {{
    {"Latency", QColor(204, 204, 204), 0},
    {"Loss", QColor(204, 0, 0), TEffectEvents::kLost},
    {"Duplication", QColor(51, 204, 0), TEffectEvents::kDuplicated},
    {"Reordering", QColor(0, 204, 204), TEffectEvents::kReordered},
    {"Corruption", QColor(255, 102, 0), TEffectEvents::kCorrupted},
}};

namespace {
constexpr int kMargin = 10;
constexpr int kLanePadding = 2;
}  // namespace

TEffectChartLayout TEffectChartLayout::Compute(int clientWidth, int clientHeight, int nameWidth) {
  TEffectChartLayout layout;
  const int columnHeight = clientHeight - 2 * kMargin;
  const int q = columnHeight > 0 ? columnHeight / 5 : 0;
  const int left = nameWidth + 2 * kMargin;
  const int right = clientWidth - kMargin;
  for (int i = 0; i < 5; ++i) {
    const int top = kMargin + i * q;
    layout.NameTop[i] = top;
    // QRect from edges: (left, top) to (right - 1, bottom - 1) inclusive.
    layout.Lanes[i] = QRect(QPoint(left, top + kLanePadding), QPoint(right - 1, top + q - kLanePadding - 1));
  }
  return layout;
}
