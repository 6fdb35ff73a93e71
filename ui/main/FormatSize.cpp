#include "ui/main/FormatSize.h"

#include <cstdio>

namespace {

std::string FormatQuotient(double x, const char* unit) {
  const char* pattern = x >= 100 ? "%.0f %s" : (x >= 10 ? "%.1f %s" : "%.2f %s");
  char text[64];
  std::snprintf(text, sizeof text, pattern, x, unit);
  return text;
}

}  // namespace

std::string FormatSize(uint64_t bytes) {
  const double v = static_cast<double>(bytes);
  if (bytes < 1000) return std::to_string(bytes);
  if (bytes < 1000000) return FormatQuotient(v / 1024, "KB");
  if (bytes < 1000000000) return FormatQuotient(v / 1048576, "MB");
  return FormatQuotient(v / 1073741824, "GB");
}
