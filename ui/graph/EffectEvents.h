#pragma once
// What the impairments did to the last 8192 frames that entered the
// impairment stage, position 0 the newest: the frame's delay in
// milliseconds in bits 16 to 31, and the effect flags in the low bits. The
// entries live in a ring, so a new frame costs one store however many
// frames a second arrive.

#include <array>
#include <cstdint>
#include <vector>

#include "engine/EffectChannel.h"

class TEffectEvents {
 public:
  static constexpr int kLength = 8192;

  static constexpr uint32_t kLost = 1;
  static constexpr uint32_t kDuplicated = 2;
  static constexpr uint32_t kReordered = 4;
  static constexpr uint32_t kCorrupted = 8;

  void Clear();
  // One notification, in the order the engine posted them. A frame moves
  // every entry one position towards the old end; the effects mark the
  // newest frame. Other messages are ignored.
  void Apply(const TEffectNotification& notification);
  void Apply(const std::vector<TEffectNotification>& notifications);

  uint32_t At(int position) const { return FEvents[(FNewest + position) & kMask]; }
  static uint32_t DelayOf(uint32_t entry) { return entry >> 16; }
  // The greatest delay among the positions 0 to count - 1.
  uint32_t LargestDelay(int count) const;

 private:
  static constexpr uint32_t kMask = kLength - 1;

  std::array<uint32_t, kLength> FEvents{};
  uint32_t FNewest = 0;  // ring index of position 0
};
