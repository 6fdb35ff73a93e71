#pragma once
// Where the effect chart draws: a name column on the left and five lanes
// stacked beside it, from the top: "Latency", "Loss", "Duplication",
// "Reordering", "Corruption". Rectangles have exclusive right and bottom
// edges.

#include <QColor>
#include <QRect>
#include <QString>
#include <array>
#include <cstdint>

struct TEffectLane {
  const char* Name;
  QColor Color;
  uint32_t Flag;  // 0 for the latency lane, which draws the delay bits
};

extern const std::array<TEffectLane, 5> kEffectLanes;

struct TEffectChartLayout {
  // The name of each lane is written at its NameTop; Lanes are the drawing
  // areas, 2 pixels inside the lane's band at the top and at the bottom.
  std::array<int, 5> NameTop{};
  std::array<QRect, 5> Lanes{};

  static TEffectChartLayout Compute(int clientWidth, int clientHeight, int nameWidth);
};
