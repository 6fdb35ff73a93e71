#include "common/Assertion.h"

void AssertionFailed(const std::string& message, const char* unit, int line) {
  throw EAssertionFailed(message + " (" + unit + ", line " + std::to_string(line) + ")");
}
