#include "engine/SimulatorThread.h"

#include <exception>

#include "engine/PacketDriver.h"

TSimulatorThread::~TSimulatorThread() {
  // A derived class must have ended the thread in its own destructor; this
  // is the last line of defence against a detached body touching freed state.
  if (FThread.joinable()) {
    Terminate();
    FThread.join();
  }
}

void TSimulatorThread::Start() { FThread = std::thread([this] { Run(); }); }

void TSimulatorThread::Terminate() {
  FTerminated.store(true, std::memory_order_release);
  WakeUp();
}

void TSimulatorThread::EndAndWait() {
  Terminate();
  if (!FThread.joinable()) return;
  FErrors.ServeUntil([this] { return Finished(); });
  FThread.join();
}

void TSimulatorThread::ReportError(const std::string& message) {
  {
    std::lock_guard guard(FErrorMutex);
    FErrorText = message;
  }
  FErrors.Report(std::string("Error occured in ") + ClassName() + ": " + message);
}

std::string TSimulatorThread::ErrorText() const {
  std::lock_guard guard(FErrorMutex);
  return FErrorText;
}

void TSimulatorThread::Run() {
  try {
    Execute();
  } catch (const EAdapterLost& e) {
    // Set before the report waits, so that the owner who shows it already
    // knows that the simulation has to end.
    FEndsSimulation.store(true, std::memory_order_release);
    ReportError(e.what());
  } catch (const std::exception& e) {
    ReportError(e.what());
  }
  FFinished.store(true, std::memory_order_release);
  FErrors.Notify();
}
