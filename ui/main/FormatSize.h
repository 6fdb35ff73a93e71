#pragma once
// A byte count for the statistics rows: plain below 1000, then KB, MB and GB.
// The thresholds are powers of 1000 and the divisors powers of 1024, so
// 1000 bytes read "0.98 KB"; three significant digits at most, with the
// decimal separator of the process's numeric locale.

#include <cstdint>
#include <string>

std::string FormatSize(uint64_t bytes);
