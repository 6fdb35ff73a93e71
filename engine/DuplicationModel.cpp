#include "engine/DuplicationModel.h"

#include "common/Assertion.h"

bool DecideDuplication(const TDuplicationSettings& duplication, uint32_t scale, uint64_t frames,
                       TRandom& random) {
  if (!duplication.Enabled) return false;
  switch (duplication.Type) {
    case TDuplicationType::dtPercentage:
      return scale > 0 && random.Uniform(1, scale) <= duplication.Value;
    case TDuplicationType::dtFixedNumber:
      return duplication.Value != 0 && frames % duplication.Value == 0;
    default:
      AssertionFailed("Wrong duplication type", "GUIMain", __LINE__);
  }
}
