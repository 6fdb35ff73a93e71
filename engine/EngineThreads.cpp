#include "engine/EngineThreads.h"

#include <stdexcept>
#include <system_error>
#include <string>

namespace {

constexpr int kWakeIntervalMs = 500;
constexpr int64_t kLatencyPeriodUs = 1000;
constexpr unsigned kPassesPerAddressRefresh = 20;  // every 10 s
constexpr unsigned kPassesPerBitErrorTick = 2;     // every second

// Ends a helper thread (the token timer) when its owner's body leaves by any
// path.
class TJoinOnExit {
 public:
  TJoinOnExit(std::thread& thread, std::atomic<bool>& stop) : FThread(thread), FStop(stop) {}
  ~TJoinOnExit() {
    FStop.store(true);
    if (FThread.joinable()) FThread.join();
  }

 private:
  std::thread& FThread;
  std::atomic<bool>& FStop;
};

}  // namespace

void TLatencySimulationThread::Execute() {
  std::unique_ptr<IPeriodicTimer> timer = FTimers.CreatePeriodic(1);
  while (!Terminated()) {
    if (timer->WaitForTick() == 0) throw std::runtime_error(timer->LastError());
    if (Terminated()) break;
    FEngine.ReleaseDueLatencyFrames();
    // A frame due before the next tick leaves when it is due: the tick alone
    // would add up to a millisecond to its delay.
    const int64_t untilDue = FEngine.MicrosecondsUntilNextLatencyRelease();
    if (untilDue > 0 && untilDue < kLatencyPeriodUs) {
      FTimers.SleepMicroseconds(static_cast<uint32_t>(untilDue));
      FEngine.ReleaseDueLatencyFrames();
    }
  }
}

TDequeuer::TDequeuer(TEngine& engine, TNamedEvents& events, TErrorChannel& errors)
    : TSimulatorThread(errors), FEngine(engine), FTokensAvailable(events.Open(kTokensAvailableEvent)) {}

void TDequeuer::WakeUp() {
  if (FTokensAvailable) FTokensAvailable->Set();
}

void TDequeuer::Execute() {
  if (!FTokensAvailable) throw std::runtime_error("Unable to open a named event");
  while (!Terminated()) {
    const auto result = FTokensAvailable->Wait(kWakeIntervalMs);
    if (Terminated()) break;
    if (result == TAutoResetEvent::TWaitResult::TimedOut) continue;
    FEngine.ReleaseRateQueues();
  }
}

THelper::THelper(TEngine& engine, ITimerFactory& timers, TNamedEvents& events, TErrorChannel& errors)
    : TSimulatorThread(errors), FEngine(engine), FTimers(timers), FEvents(events) {}

THelper::~THelper() { EndAndWait(); }

void THelper::WakeUp() { FWake.Set(); }

// Runs the token timer until the helper ends or the timer fails.
void THelper::RunTokenTimer(IPeriodicTimer& timer, uint32_t periodMs, const std::atomic<bool>& stop) {
  // Late ticks are made up for, so the delivered rate stays exact when the
  // machine is busy; each tick is still capped at the bucket depth.
  for (uint64_t ticks = timer.WaitForTick(); ticks > 0; ticks = timer.WaitForTick()) {
    if (stop.load() || Terminated()) return;
    for (uint64_t i = 0; i < ticks; ++i) FEngine.RefillTokens(periodMs);
    FTokensAvailable->Set();
  }
}

void THelper::Execute() {
  FTokensAvailable = FEvents.Open(kTokensAvailableEvent);
  if (!FTokensAvailable) throw std::runtime_error("Unable to create a named event");
  const uint32_t periodMs = FTimers.MinimumPeriodMs();
  if (periodMs == 0) throw std::runtime_error("Unable to get the system timer capabilities");
  std::unique_ptr<IPeriodicTimer> timer;
  try {
    timer = FTimers.CreatePeriodic(periodMs);
  } catch (const std::system_error& e) {
    throw std::runtime_error("Unable to set a multimedia timer (delay=" + std::to_string(periodMs) +
                             ", error=" + std::to_string(e.code().value()) + ")");
  }
  std::atomic<bool> stopTimer{false};
  std::atomic<bool> timerEnded{false};
  std::thread timerThread([&] {
    RunTokenTimer(*timer, periodMs, stopTimer);
    timerEnded.store(true);
    FWake.Set();
  });
  TJoinOnExit joinTimer(timerThread, stopTimer);

  for (unsigned pass = 0; !Terminated(); ++pass) {
    if (timerEnded.load() && !Terminated()) throw std::runtime_error(timer->LastError());
    if (pass % kPassesPerAddressRefresh == 0) FEngine.RefreshLocalAddresses();
    // Changes of the rule made outside ApplySettings (the rule editor, a
    // loaded profile, the groups window) reach the driver here.
    FEngine.PublishFrameSelection();
    if (pass % kPassesPerBitErrorTick == 0) FEngine.BitErrorTick();
    FWake.Wait(kWakeIntervalMs);
  }
}
