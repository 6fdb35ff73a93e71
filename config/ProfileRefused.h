#pragma once
// A profile that parses but holds something the program will not use (a
// rule that cannot be matched, a rate entry under the reserved name). The
// message says what; the loader puts the profile's name in front of it,
// because the same text may come from any of several files or from the last
// configuration.
#include <stdexcept>

class EProfileRefused : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
