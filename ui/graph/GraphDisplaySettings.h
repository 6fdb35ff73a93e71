#pragma once
// The graph's part of the display settings, applied after they are loaded
// and after the options window closes with OK: unit, bars or polyline with
// its step (and a vertical line every 60 samples), automatic or fixed scale.

#include <cstdint>

class THistogram;

struct TGraphDisplaySettings {
  uint8_t GraphUnit = 0;  // 0 bits per second, 1 bytes per second
  uint8_t GraphType = 0;  // 0 bars, 1 polyline
  int32_t PolylineStep = 3;
  bool GraphAutoScale = true;
  int32_t AutoScaleValue = 0;  // the fixed maximum in the graph's unit
};

// A GraphUnit or GraphType other than 0 or 1 is an internal error. A stored
// polyline step below 1 draws every pixel (1), a negative fixed maximum
// means the automatic scale.
void ApplyGraphDisplaySettings(THistogram& graph, const TGraphDisplaySettings& settings);
