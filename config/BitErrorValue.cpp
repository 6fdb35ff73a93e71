#include "config/BitErrorValue.h"

#include "config/SettingsModel.h"
#include "engine/SettingsApply.h"

bool IsValidBitErrorValue(int corruptionChoice, const std::string& text) {
  switch (corruptionChoice) {
    case kCorruptBitRate: {
      // The engine reads the field with the same parser, so what passes here
      // is exactly what it gets; a text it cannot read gives 0, refused here.
      const uint32_t count = ParseBitErrorCount(text);
      return count >= 1 && count <= kMaxBitErrorCount;
    }
    case kCorruptBitRatio: {
      // NaN fails both comparisons and is refused with the rest.
      const double ratio = ParseBitErrorRatio(text);
      return ratio > 0 && ratio < 1;
    }
    default:
      return true;
  }
}
