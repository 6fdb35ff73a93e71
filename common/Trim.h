#pragma once
#include <string_view>

// Removes blanks and control characters (every character up to ' ') from
// both ends, the way user-typed settings are cleaned before they are read.
inline std::string_view Trim(std::string_view text) {
  auto isBlank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  size_t first = 0;
  size_t last = text.size();
  while (first < last && isBlank(text[first])) ++first;
  while (last > first && isBlank(text[last - 1])) --last;
  return text.substr(first, last - first);
}
