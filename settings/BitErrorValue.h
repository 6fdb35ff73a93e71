#pragma once
// The corruption tab's value field: how its text reads as a count of bit
// errors or as a ratio, and when it holds a usable value: a count from 1 to
// 10000 for the bit error rate, a ratio strictly between 0 and 1 (in the
// process's numeric locale) for the bit error ratio. The percentage choice
// does not read the field, so any text is valid then.

#include <cstdint>
#include <string>

constexpr unsigned kMaxBitErrorCount = 10000;

bool IsValidBitErrorValue(int corruptionChoice, const std::string& text);

// The field's number: a decimal integer, else 0.
uint32_t ParseBitErrorCount(const std::string& text);
// The field's ratio in the process locale, else 0.
double ParseBitErrorRatio(const std::string& text);
