#include "settings/BitErrorValue.h"

#include <cerrno>
#include <charconv>
#include <cstdlib>

#include "settings/SettingsModel.h"

uint32_t ParseBitErrorCount(const std::string& text) {
  const char* first = text.data();
  const char* last = first + text.size();
  if (first != last && *first == '+') ++first;
  uint32_t value = 0;
  const auto [end, error] = std::from_chars(first, last, value);
  return (error == std::errc() && end == last && first != last) ? value : 0;
}

double ParseBitErrorRatio(const std::string& text) {
  if (text.empty()) return 0;
  errno = 0;
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (errno != 0 || end != text.c_str() + text.size() || value < 0) return 0;
  return value;
}

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
