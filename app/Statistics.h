#pragma once
// The engine's counters as the owner shows them: the six statistics rows,
// and for scripts one JSON object with every counter.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "engine/EngineState.h"
#include "engine/FrameSelection.h"

// A byte count for people: thresholds are powers of 1000, divisors powers of
// 1024, so 1000 bytes read "0.98 KB"; below 1000 the plain number.
std::string FormatSize(uint64_t bytes);

// "Bytes Received / Sent", "Packets Dropped", "Packets Delayed",
// "Packets Duplicated", "Packets Reordered", "Packets Corrupted", and the
// jumbo frames that went on untouched, each with its value.
std::vector<std::pair<std::string, std::string>> StatisticsRows(const TEngineCounters& counters);

// {"FramesIn":..,...,"CorruptedOut":..,"OversizedIn":..,"OversizedOut":..,
//  "TickBytesIn":..,"TickBytesOut":..,"KernelPassedFramesIn":..,
//  "KernelPassedFramesOut":..,"KernelPassedBytesIn":..,"KernelPassedBytesOut":..}
// The last four are the frames the driver let pass without the engine
// (outside the direction or the rule); the engine's own counters never
// include them.
std::string CountersJson(const TEngineCounters& counters, uint32_t tickBytesIn, uint32_t tickBytesOut,
                         const TKernelPassedCounts& kernel);
