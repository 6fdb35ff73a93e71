#pragma once
// Stand-ins for what owns the engine, for tests and benchmarks that run its
// steps without threads: a clock the caller sets, an error sink that keeps
// the messages, and a thread object that is never started but that
// DispatchFrame can report through.

#include <functional>
#include <string>
#include <vector>

#include "engine/EngineClock.h"
#include "engine/ErrorChannel.h"
#include "engine/SimulatorThread.h"

class TFakeClock : public IEngineClock {
 public:
  uint64_t NowMicroseconds() const override { return Now; }
  void AdvanceMs(uint64_t ms) { Now += ms * 1000; }
  uint64_t Now = 1000000;  // 1 s
};

class TCollectingSink : public IErrorSink {
 public:
  void ShowError(const std::string& message) override {
    Messages.push_back(message);
    // What the owner does while the box is open, as a window's event loop
    // would run it under a modal box.
    if (WhileShown) WhileShown(message);
  }
  std::vector<std::string> Messages;
  std::function<void(const std::string&)> WhileShown;
};

class TIdleThread : public TSimulatorThread {
 public:
  using TSimulatorThread::TSimulatorThread;
  const char* ClassName() const override { return "TNormalProcess.TNormalThread"; }

 protected:
  void Execute() override {}
};
