// Rate texts of any content: the parser either throws EShapingRateFormat or
// yields limits within range whose storage text reads back to the same.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "settings/FormatBitRate.h"
#include "settings/ShapingRate.h"

namespace {

bool ValidLimit(int32_t rate) { return rate == 0 || (rate >= kMinShapingRate && rate <= kMaxShapingRate); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  TShapingRate rate;
  try {
    rate.ParseText(text);
  } catch (const EShapingRateFormat&) {
    return 0;
  }
  if (!ValidLimit(rate.InRate) || !ValidLimit(rate.OutRate)) std::abort();
  const TShapingRate back("", rate.StorageText());
  if (back.InRate != rate.InRate || back.OutRate != rate.OutRate) std::abort();
  if (rate.DisplayText().empty()) std::abort();
  if (size >= 4) {
    uint32_t value;
    std::memcpy(&value, data, sizeof value);
    if (FormatBitRate(value).find("bit/s") == std::string::npos) std::abort();
  }
  return 0;
}
