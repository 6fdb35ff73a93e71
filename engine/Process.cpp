#include "engine/Process.h"

#include <stdexcept>

TAdapterInterception::~TAdapterInterception() {
  if (FIntercepting) FDriver.SetAdapterMode(TAdapterMode{FAdapter, kModeRelease});
  if (FFilterChanged) FDriver.SetHwPacketFilter(FAdapter, FOldFilter);
  if (FEventRegistered) {
    FDriver.FlushAdapterPacketQueue(FAdapter);
    FDriver.SetPacketEvent(FAdapter, nullptr);
  }
}

void TAdapterInterception::RegisterEvent(TAutoResetEvent& event) {
  if (!FDriver.SetPacketEvent(FAdapter, &event)) throw std::runtime_error("Failed to setup system event");
  FEventRegistered = true;
}

void TAdapterInterception::MakePromiscuous() {
  constexpr const char* kError = "Error while getting/setting hardware filter";
  if (!FDriver.GetHwPacketFilter(FAdapter, FOldFilter)) throw std::runtime_error(kError);
  if (!FDriver.SetHwPacketFilter(FAdapter, FOldFilter | kHwFilterPromiscuous)) throw std::runtime_error(kError);
  FFilterChanged = true;
}

void TAdapterInterception::Intercept() {
  if (!FDriver.SetAdapterMode(TAdapterMode{FAdapter, kModeIntercept})) {
    // The driver's reason says what stands in the way, such as another
    // instance that holds the adapter.
    const std::string why = FDriver.LastError();
    throw std::runtime_error(why.empty() ? "Failed to set filter" : "Failed to set filter: " + why);
  }
  FIntercepting = true;
}

TProcess::TProcess(TEngine& engine, ITimerFactory& timers, TErrorChannel& errors)
    : FLatencyThread(std::make_unique<TLatencySimulationThread>(engine, timers, errors)) {
  FLatencyThread->Start();
}

TProcess::~TProcess() = default;

void TNormalProcess::TNormalThread::Execute() {
  TAdapterInterception interception(FEngine.Driver, FEmulatedAdapter);
  interception.RegisterEvent(FEvent);
  interception.Intercept();
  TFrameBuffer buffer{};
  TFrameRequest request{FEmulatedAdapter, &buffer};
  ReadFramesUntilTerminated(*this, FEngine.Driver, FEvent, request,
                            [&] { FEngine.DispatchFrame(*this, request, TReinjectMode::rmNatural); });
}

TNormalProcess::TNormalProcess(TEngine& engine, ITimerFactory& timers, TErrorChannel& errors,
                               TAdapterHandle adapter)
    : TProcess(engine, timers, errors), FThread(std::make_unique<TNormalThread>(engine, adapter, errors)) {
  FThread->Start();
}

TNormalProcess::~TNormalProcess() { FThread.reset(); }
