#include "platform/TimerFd.h"

#include <sys/prctl.h>
#include <sys/timerfd.h>

#include <cerrno>
#include <cstring>
#include <system_error>

namespace {

constexpr long kNanosPerMs = 1000000;

[[noreturn]] void ThrowTimerError(const char* what) { throw std::system_error(errno, std::system_category(), what); }

// The next whole millisecond of CLOCK_MONOTONIC.
timespec NextWholeMillisecond() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  long nanos = (now.tv_nsec / kNanosPerMs + 1) * kNanosPerMs;
  if (nanos >= 1000000000L) {
    nanos -= 1000000000L;
    ++now.tv_sec;
  }
  now.tv_nsec = nanos;
  return now;
}

}  // namespace

TTimerFd::TTimerFd(uint32_t periodMs) : FFd(timerfd_create(CLOCK_MONOTONIC, TFD_CLOEXEC)) {
  // The thread that waits on the timer wakes as close to each tick as the
  // kernel can: the default 50 us of timer slack would otherwise be added to
  // every frame's delay. Timers are created on the thread that waits on them.
  prctl(PR_SET_TIMERSLACK, 1UL, 0, 0, 0);
  if (!FFd.Valid()) ThrowTimerError("timerfd_create");
  itimerspec timing{};
  timing.it_value = NextWholeMillisecond();
  timing.it_interval.tv_sec = periodMs / 1000;
  timing.it_interval.tv_nsec = static_cast<long>(periodMs % 1000) * kNanosPerMs;
  if (timerfd_settime(FFd.Get(), TFD_TIMER_ABSTIME, &timing, nullptr) != 0) ThrowTimerError("timerfd_settime");
}

uint64_t TTimerFd::WaitForTick() {
  uint64_t expirations = 0;
  while (true) {
    const ssize_t n = ::read(FFd.Get(), &expirations, sizeof expirations);
    if (n == sizeof expirations) return expirations;
    if (n < 0 && errno == EINTR) continue;
    FLastError = n < 0 ? std::strerror(errno) : "short read from the timer";
    return 0;
  }
}

std::unique_ptr<IPeriodicTimer> TTimerFdFactory::CreatePeriodic(uint32_t periodMs) {
  return std::make_unique<TTimerFd>(periodMs);
}

void TTimerFdFactory::SleepMicroseconds(uint32_t microseconds) {
  timespec duration{static_cast<time_t>(microseconds / 1000000), static_cast<long>(microseconds % 1000000) * 1000};
  while (clock_nanosleep(CLOCK_MONOTONIC, 0, &duration, &duration) == EINTR) {
  }
}
