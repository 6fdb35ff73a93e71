#pragma once
#include <cstdint>
#include <string>

// A bit rate for people: "999 bit/s", "14.4 kbit/s", "850 kbit/s",
// "1.50 Mbit/s", "1.00 Gbit/s". Steps of 1000; three significant digits at
// most; the decimal separator of the process's numeric locale.
std::string FormatBitRate(uint32_t bitsPerSecond);
