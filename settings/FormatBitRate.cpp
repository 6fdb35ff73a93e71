#include "settings/FormatBitRate.h"

#include <charconv>
#include <clocale>

namespace {

// x with `decimals` digits after the point, rounded as printf rounds, with
// the locale's decimal separator in place of the point.
std::string FormatFixed(double x, int decimals) {
  char digits[64];
  const auto result = std::to_chars(digits, digits + sizeof digits, x, std::chars_format::fixed, decimals);
  std::string text(digits, result.ptr);
  const size_t point = text.find('.');
  if (point != std::string::npos) {
    const std::lconv* conventions = std::localeconv();
    const char* separator = conventions && conventions->decimal_point && *conventions->decimal_point
                                ? conventions->decimal_point
                                : ".";
    text.replace(point, 1, separator);
  }
  return text;
}

}  // namespace

std::string FormatBitRate(uint32_t bitsPerSecond) {
  if (bitsPerSecond < 1000) return std::to_string(bitsPerSecond) + " bit/s";
  const double v = bitsPerSecond;
  double x;
  const char* unit;
  if (bitsPerSecond < 1000000) {
    x = v / 1000;
    unit = "kbit/s";
  } else if (bitsPerSecond < 1000000000) {
    x = v / 1000000;
    unit = "Mbit/s";
  } else {
    x = v / 1000000000;
    unit = "Gbit/s";
  }
  const int decimals = x >= 100 ? 0 : x >= 10 ? 1 : 2;
  return FormatFixed(x, decimals) + " " + unit;
}
