#pragma once
#include <stdexcept>
#include <string>

// A broken internal invariant. Its message names the source unit and the line
// so that a report from a user points at the check that failed.
class EAssertionFailed : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

[[noreturn]] void AssertionFailed(const std::string& message, const char* unit, int line);

// OT_ASSERT(condition, "GUIMain", "checking single port error")
#define OT_ASSERT(condition, unit, message)                 \
  do {                                                      \
    if (!(condition)) AssertionFailed((message), (unit), __LINE__); \
  } while (0)
