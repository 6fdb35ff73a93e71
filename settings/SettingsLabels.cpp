#include "settings/SettingsLabels.h"

#include <cmath>
#include <cstdio>

#include "settings/SettingsModel.h"

namespace {

std::string Printf(const char* pattern, auto... values) {
  char buffer[128];
  std::snprintf(buffer, sizeof buffer, pattern, values...);
  return buffer;
}

std::string SharePercentLabel(const char* verb, int position, uint32_t scale) {
  return Printf("%s %.*f%% packets", verb, ShareDecimals(scale), SharePercent(position, scale));
}

std::string EveryNthLabel(const char* verb, int position) {
  return Printf("%s every %d%s packet", verb, position, OrdinalSuffix(position).c_str());
}

}  // namespace

std::string OrdinalSuffix(int64_t n) {
  if (n == 11 || n == 12 || n == 13) return "th";
  switch (std::llabs(n) % 10) {
    case 1:
      return "st";
    case 2:
      return "nd";
    case 3:
      return "rd";
    default:
      return "th";
  }
}

int ShareDecimals(uint32_t scale) {
  if (scale == 0) return 0;
  const long decimals = std::lround(std::log10(static_cast<double>(scale)) - 2);
  return decimals < 0 ? 0 : static_cast<int>(decimals);
}

double SharePercent(int position, uint32_t scale) {
  // p * 100 / R rather than p / (R div 100): the same for every scale that is
  // a multiple of 100, and still right for the others (R = 1050 must not
  // show 105% at its top).
  return scale == 0 ? 0.0 : position * 100.0 / scale;
}

std::string LatencyLabel(int position) { return Printf("Simulate latency for %d%% of packets", position); }

std::string LossLabel(int position, uint32_t scale, bool fixedNumber) {
  return fixedNumber ? EveryNthLabel("Lose", position) : SharePercentLabel("Loss", position, scale);
}

std::string DuplicationLabel(int position, uint32_t scale, bool fixedNumber) {
  return fixedNumber ? EveryNthLabel("Duplicate", position) : SharePercentLabel("Duplicate", position, scale);
}

std::string ReorderingLabel(int position, uint32_t scale) { return SharePercentLabel("Reorder", position, scale); }

std::string CorruptionLabel(int position, uint32_t scale) {
  return Printf("Corrupt %.1f%% packets", SharePercent(position, scale));
}

std::string BitErrorFieldLabel(int corruptionChoice) {
  switch (corruptionChoice) {
    case kCorruptBitRate:
      return "Number of bit errors:";
    case kCorruptBitRatio:
      return "Error ratio, e.g. 10e-7:";
    default:
      return "";
  }
}

std::string DelayFromLabel(int delayType) { return delayType == 1 ? "Delay from (ms)" : "Delay (ms)"; }
