#pragma once
// What a driver needs to hand back, without the engine, the frames that the
// engine would hand back untouched: the direction setting and the filter
// rule, as the engine applies them. A driver that can decide in the kernel
// lets those frames take their normal way there and counts them; one that
// cannot ignores this and keeps handing every frame to the engine.
#include <cstdint>

#include "common/TrafficDirection.h"
#include "filter/FilterSettings.h"

struct TFrameSelection {
  // Every frame must reach the engine whatever the rule says (bridge mode:
  // the bridge decides a frame's way before the engine sees it).
  bool EngineSeesAll = true;
  TTrafficDirection Direction = TTrafficDirection::tdIncoming;
  TFilterSettings Filter;

  friend bool operator==(const TFrameSelection&, const TFrameSelection&) = default;
};

// Frames the driver let pass without the engine, since its interceptions
// began: per direction, as the engine would have read them.
struct TKernelPassedCounts {
  uint64_t FramesIn = 0;
  uint64_t FramesOut = 0;
  uint64_t BytesIn = 0;
  uint64_t BytesOut = 0;

  TKernelPassedCounts& operator+=(const TKernelPassedCounts& other) {
    FramesIn += other.FramesIn;
    FramesOut += other.FramesOut;
    BytesIn += other.BytesIn;
    BytesOut += other.BytesOut;
    return *this;
  }
  friend bool operator==(const TKernelPassedCounts&, const TKernelPassedCounts&) = default;
};
