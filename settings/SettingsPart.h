#pragma once
// The parts of the settings that are applied together: a change of one
// control applies its part, a profile or a preset applies them all.

#include <cstdint>

enum class TSettingsPart : uint8_t {
  spAll,
  spRate,
  spLatency,
  spLoss,
  spDuplication,
  spReordering,
  spCorruption,
  spBlocking,
};
