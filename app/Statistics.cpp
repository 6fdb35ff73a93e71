#include "app/Statistics.h"

#include <cstdio>

std::string FormatSize(uint64_t bytes) {
  if (bytes < 1000) return std::to_string(bytes);
  const char* unit = "KB";
  double x = bytes / 1024.0;
  if (bytes >= 1000000000) {
    unit = "GB";
    x = bytes / 1073741824.0;
  } else if (bytes >= 1000000) {
    unit = "MB";
    x = bytes / 1048576.0;
  }
  const char* pattern = x >= 100 ? "%.0f %s" : (x >= 10 ? "%.1f %s" : "%.2f %s");
  char text[64];
  std::snprintf(text, sizeof text, pattern, x, unit);
  return text;
}

std::vector<std::pair<std::string, std::string>> StatisticsRows(const TEngineCounters& c) {
  return {
      {"Bytes Received / Sent", FormatSize(c.BytesIn) + " / " + FormatSize(c.BytesOut)},
      {"Packets Dropped", std::to_string(c.DroppedIn + c.DroppedOut)},
      {"Packets Delayed", std::to_string(c.DelayedIn + c.DelayedOut)},
      {"Packets Duplicated", std::to_string(c.DuplicatedIn + c.DuplicatedOut)},
      {"Packets Reordered", std::to_string(c.ReorderedIn + c.ReorderedOut)},
      {"Packets Corrupted", std::to_string(c.CorruptedIn + c.CorruptedOut)},
      {"Jumbo Frames Passed", std::to_string(c.OversizedIn + c.OversizedOut)},
  };
}

std::string CountersJson(const TEngineCounters& c, uint32_t tickBytesIn, uint32_t tickBytesOut,
                         const TKernelPassedCounts& kernel) {
  const std::pair<const char*, uint64_t> fields[] = {
      {"FramesIn", c.FramesIn},         {"FramesOut", c.FramesOut},         {"SentIn", c.SentIn},
      {"SentOut", c.SentOut},           {"BytesIn", c.BytesIn},             {"BytesOut", c.BytesOut},
      {"DroppedIn", c.DroppedIn},       {"DroppedOut", c.DroppedOut},       {"DelayedIn", c.DelayedIn},
      {"DelayedOut", c.DelayedOut},     {"DuplicatedIn", c.DuplicatedIn},   {"DuplicatedOut", c.DuplicatedOut},
      {"ReorderedIn", c.ReorderedIn},   {"ReorderedOut", c.ReorderedOut},   {"CorruptedIn", c.CorruptedIn},
      {"CorruptedOut", c.CorruptedOut}, {"OversizedIn", c.OversizedIn},   {"OversizedOut", c.OversizedOut},
      {"TickBytesIn", tickBytesIn},     {"TickBytesOut", tickBytesOut},
      {"KernelPassedFramesIn", kernel.FramesIn},   {"KernelPassedFramesOut", kernel.FramesOut},
      {"KernelPassedBytesIn", kernel.BytesIn},     {"KernelPassedBytesOut", kernel.BytesOut},
  };
  std::string json = "{";
  for (const auto& [name, value] : fields) {
    if (json.size() > 1) json += ',';
    json += '"';
    json += name;
    json += "\":";
    json += std::to_string(value);
  }
  return json + "}";
}
