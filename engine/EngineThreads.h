#pragma once
// The engine's threads besides the interception threads: the latency thread
// of every process, the dequeuer of the rate limiter, and THelper with the
// token timer and the periodic chores.

#include <memory>
#include <thread>

#include "engine/Engine.h"
#include "engine/EngineClock.h"
#include "engine/NamedEvents.h"
#include "engine/SimulatorThread.h"

// Releases due frames from the latency queue on a 1 ms periodic timer.
class TLatencySimulationThread : public TSimulatorThread {
 public:
  TLatencySimulationThread(TEngine& engine, ITimerFactory& timers, TErrorChannel& errors)
      : TSimulatorThread(errors), FEngine(engine), FTimers(timers) {}
  ~TLatencySimulationThread() override { EndAndWait(); }
  const char* ClassName() const override { return "TProcess.TLatencySimulationThread"; }

 protected:
  void Execute() override;

 private:
  TEngine& FEngine;
  ITimerFactory& FTimers;
};

// Releases rate-queued frames each time the token timer has refilled the
// budgets (the named event "LinkSimulatorTokensAvailable").
class TDequeuer : public TSimulatorThread {
 public:
  TDequeuer(TEngine& engine, TNamedEvents& events, TErrorChannel& errors);
  ~TDequeuer() override { EndAndWait(); }
  const char* ClassName() const override { return "TDequeuer"; }

 protected:
  void Execute() override;
  void WakeUp() override;

 private:
  TEngine& FEngine;
  std::shared_ptr<TAutoResetEvent> FTokensAvailable;
};

// Owns the token timer, whose ticks refill the budgets and wake the dequeuer,
// and every half second does the chores: the bit-error tick each second and
// the local address refresh every ten seconds (both at once at the start).
class THelper : public TSimulatorThread {
 public:
  THelper(TEngine& engine, ITimerFactory& timers, TNamedEvents& events, TErrorChannel& errors);
  ~THelper() override;
  const char* ClassName() const override { return "THelper"; }

 protected:
  void Execute() override;
  void WakeUp() override;

 private:
  void RunTokenTimer(IPeriodicTimer& timer, uint32_t periodMs, const std::atomic<bool>& stop);

  TEngine& FEngine;
  ITimerFactory& FTimers;
  TNamedEvents& FEvents;
  std::shared_ptr<TAutoResetEvent> FTokensAvailable;
  TAutoResetEvent FWake;
};

constexpr const char* kTokensAvailableEvent = "LinkSimulatorTokensAvailable";
