#pragma once
// The scales the shares are counted in.

#include <cstdint>

// Each share v on scale R selects v out of R frames; R = 1000 counts tenths of
// a percent.
struct TPercentageResolution {
  uint32_t Loss = 1000;
  uint32_t Duplication = 1000;
  uint32_t Reordering = 1000;
  uint32_t Corruption = 1000;
};
