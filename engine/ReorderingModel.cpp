#include "engine/ReorderingModel.h"

bool DecideReordering(const TReorderingSettings& reordering, uint32_t scale, TRandom& random) {
  return reordering.Enabled && scale > 0 && random.Uniform(1, scale) <= reordering.Value;
}
