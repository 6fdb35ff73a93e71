#include "ui/graph/EffectEvents.h"

#include <algorithm>

void TEffectEvents::Clear() {
  FEvents.fill(0);
  FNewest = 0;
}

void TEffectEvents::Apply(const TEffectNotification& notification) {
  uint32_t& newest = FEvents[FNewest];
  switch (notification.Message) {
    case WM_EFFECT_FRAME:
      // The oldest entry's slot becomes the new position 0.
      FNewest = (FNewest - 1) & kMask;
      FEvents[FNewest] = uint32_t{notification.WParam} << 16;
      break;
    case WM_EFFECT_LOSS: newest |= kLost; break;
    case WM_EFFECT_CORRUPTION: newest |= kCorrupted; break;
    case WM_EFFECT_DUPLICATION: newest |= kDuplicated; break;
    case WM_EFFECT_REORDERING: newest |= kReordered; break;
    default: break;
  }
}

void TEffectEvents::Apply(const std::vector<TEffectNotification>& notifications) {
  for (const TEffectNotification& notification : notifications) Apply(notification);
}

uint32_t TEffectEvents::LargestDelay(int count) const {
  uint32_t largest = 0;
  for (int position = 0; position < std::min(count, kLength); ++position) largest = std::max(largest, DelayOf(At(position)));
  return largest;
}
