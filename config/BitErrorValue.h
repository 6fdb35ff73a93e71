#pragma once
// When the corruption tab's value field holds a usable value: a count of bit
// errors from 1 to 10000 for the bit error rate, a ratio strictly between 0
// and 1 (in the process's numeric locale) for the bit error ratio. The
// percentage choice does not read the field, so any text is valid then.

#include <string>

constexpr unsigned kMaxBitErrorCount = 10000;

bool IsValidBitErrorValue(int corruptionChoice, const std::string& text);
