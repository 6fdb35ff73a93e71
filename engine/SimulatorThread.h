#pragma once
// The base of every engine thread: a body (Execute), a terminate flag that
// the body checks at least every 500 ms, and ReportError, which hands the
// message to the owner and waits until it has been shown.

#include <atomic>
#include <string>
#include <thread>

#include "engine/ErrorChannel.h"

class TSimulatorThread {
 public:
  explicit TSimulatorThread(TErrorChannel& errors) : FErrors(errors) {}
  virtual ~TSimulatorThread();
  TSimulatorThread(const TSimulatorThread&) = delete;
  TSimulatorThread& operator=(const TSimulatorThread&) = delete;

  // The name error reports carry, e.g. "TNormalProcess.TNormalThread".
  virtual const char* ClassName() const = 0;

  void Start();
  void Terminate();
  bool Terminated() const { return FTerminated.load(std::memory_order_acquire); }
  bool Finished() const { return FFinished.load(std::memory_order_acquire); }
  // True once the body ended because its adapter went away (EAdapterLost):
  // unlike other errors, that one ends the whole simulation.
  bool EndsSimulation() const { return FEndsSimulation.load(std::memory_order_acquire); }

  // Sets the terminate flag and waits for the body to end, showing any error
  // the thread reports meanwhile (unless the owner is stopping, when no
  // report waits and none is shown before the stop ends).
  void EndAndWait();

  // Stores the message and shows "Error occured in <class>: <message>";
  // returns once it has been shown. Call with no engine lock held.
  void ReportError(const std::string& message);
  std::string ErrorText() const;

 protected:
  virtual void Execute() = 0;
  // Lets a body that sleeps on something notice Terminate at once.
  virtual void WakeUp() {}

 private:
  void Run();

  TErrorChannel& FErrors;
  std::thread FThread;
  std::atomic<bool> FTerminated{false};
  std::atomic<bool> FFinished{false};
  std::atomic<bool> FEndsSimulation{false};
  mutable std::mutex FErrorMutex;
  std::string FErrorText;
};
