#include "capture/CaptureClock.h"

#include <chrono>

namespace {

class TSystemCaptureClock final : public TCaptureClock {
 public:
  int64_t WallClockMs() const override {
    // system_clock counts UTC since 1970 on Linux: no time zone to remove.
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
  }
  int64_t MonotonicNs() const override {
    using namespace std::chrono;
    return duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count();
  }
};

}  // namespace

const TCaptureClock& TCaptureClock::System() {
  static const TSystemCaptureClock clock;
  return clock;
}
