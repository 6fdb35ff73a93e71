#pragma once
// The simulation objects: a process owns the latency thread and the
// interception threads of the adapters it works on. TNormalProcess works on
// one adapter; TBridgeProcess joins two (engine/BridgeProcess.h).

#include <memory>

#include "engine/Engine.h"
#include "engine/EngineThreads.h"

// An interception thread: knows the adapter the user chose for emulation.
class TFilteringThread : public TSimulatorThread {
 public:
  TFilteringThread(TEngine& engine, TAdapterHandle emulatedAdapter, TErrorChannel& errors)
      : TSimulatorThread(errors), FEngine(engine), FEmulatedAdapter(emulatedAdapter) {}

 protected:
  TEngine& FEngine;
  const TAdapterHandle FEmulatedAdapter;
};

// The driver set-up an interception thread makes on its adapter, undone
// innermost first by the destructor, each step only if it succeeded: mode 0;
// the old hardware filter (bridge); flush and clear the event registration.
class TAdapterInterception {
 public:
  TAdapterInterception(IPacketDriver& driver, TAdapterHandle adapter) : FDriver(driver), FAdapter(adapter) {}
  ~TAdapterInterception();
  TAdapterInterception(const TAdapterInterception&) = delete;
  TAdapterInterception& operator=(const TAdapterInterception&) = delete;

  void RegisterEvent(TAutoResetEvent& event);  // "Failed to setup system event"
  void MakePromiscuous();                      // "Error while getting/setting hardware filter"
  void Intercept();                            // "Failed to set filter", with the driver's reason

 private:
  IPacketDriver& FDriver;
  TAdapterHandle FAdapter;
  bool FEventRegistered = false;
  bool FFilterChanged = false;
  uint32_t FOldFilter = 0;
  bool FIntercepting = false;
};

// Waits up to 500 ms for the packet event, then hands every waiting frame to
// onFrame until none is left or the thread is asked to end. What the frames
// of one wake-up send may leave together once they are all handled.
template <typename OnFrame>
void ReadFramesUntilTerminated(TSimulatorThread& thread, IPacketDriver& driver, TAutoResetEvent& event,
                               TFrameRequest& request, OnFrame&& onFrame) {
  while (!thread.Terminated()) {
    if (event.Wait(500) != TAutoResetEvent::TWaitResult::Signalled) continue;
    TSendBatchScope batch(driver);
    while (!thread.Terminated() && driver.ReadPacket(request)) onFrame();
  }
}

class TProcess {
 public:
  TProcess(TEngine& engine, ITimerFactory& timers, TErrorChannel& errors);
  virtual ~TProcess();

  // True once an interception thread has ended because its adapter is gone.
  virtual bool AdapterLost() const { return false; }

 protected:
  // Interception threads end before the latency thread; derived classes end
  // theirs in their own destructors.
  std::unique_ptr<TLatencySimulationThread> FLatencyThread;
};

class TNormalProcess : public TProcess {
 public:
  class TNormalThread : public TFilteringThread {
   public:
    using TFilteringThread::TFilteringThread;
    ~TNormalThread() override { EndAndWait(); }
    const char* ClassName() const override { return "TNormalProcess.TNormalThread"; }

   protected:
    void Execute() override;
    void WakeUp() override { FEvent.Set(); }

   private:
    TAutoResetEvent FEvent;
  };

  TNormalProcess(TEngine& engine, ITimerFactory& timers, TErrorChannel& errors, TAdapterHandle adapter);
  ~TNormalProcess() override;
  bool AdapterLost() const override { return FThread->EndsSimulation(); }

 private:
  std::unique_ptr<TNormalThread> FThread;
};
