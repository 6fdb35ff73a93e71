#include "engine/Simulation.h"

#include <cstring>
#include <stdexcept>

#include "capture/LibpcapWriter.h"
#include "engine/BridgeProcess.h"
#include "engine/EngineThreads.h"
#include "engine/Process.h"

int FindAdapterByName(const TTcpAdapterList& adapters, const TAdapterName& name) {
  for (uint32_t i = 0; i < adapters.AdapterCount && i < kMaxAdapters; ++i) {
    if (std::memcmp(adapters.AdapterNameList[i].data(), name.data(), kAdapterNameSize) == 0) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

TSimulation::TSimulation(TEngine& engine, ITimerFactory& timers, TErrorChannel& errors)
    : FEngine(engine),
      FTimers(timers),
      FErrors(errors),
      FOpenCapture([](const std::string& path, int mode, std::function<void(const std::string&)> onWriteError) {
        return std::make_unique<TLibpcapWriter>(path, mode, std::move(onWriteError));
      }) {}

TSimulation::~TSimulation() { Stop(); }

bool TSimulation::AdapterLost() const { return FProcess && FProcess->AdapterLost(); }

void TSimulation::Start(const TTcpAdapterList& adapters, const TSimulationRequest& request,
                        const std::function<void()>& applyAllSettings) {
  if (Running()) return;
  if (request.AdapterIndex < 0 || static_cast<uint32_t>(request.AdapterIndex) >= adapters.AdapterCount) return;
  try {
    FEngine.ResetState();
    if (applyAllSettings) applyAllSettings();
    // The driver knows what the engine selects before it intercepts anything.
    FEngine.Bridging = request.Bridge.Enabled;
    FEngine.PublishFrameSelection();
    FEngine.TickBytes.In.exchange(0);
    FEngine.TickBytes.Out.exchange(0);
    OpenCaptureFiles(request.Capture);
    FProcess = CreateProcess(adapters, request);
    FDequeuer = std::make_unique<TDequeuer>(FEngine, FEvents, FErrors);
    FDequeuer->Start();
    FHelper = std::make_unique<THelper>(FEngine, FTimers, FEvents, FErrors);
    FHelper->Start();
  } catch (...) {
    TearDown();
    throw;
  }
}

void TSimulation::OpenCaptureFiles(const TCaptureSettings& capture) {
  if (!capture.Enabled) return;
  auto reportWriteError = [this](const std::string& message) {
    FErrors.Report("Error occured in TLibpcapWriter.TBufferWriter: " + message);
  };
  if (!capture.BeforePath.empty()) FBefore = FOpenCapture(capture.BeforePath, capture.Mode, reportWriteError);
  if (!capture.AfterPath.empty()) FAfter = FOpenCapture(capture.AfterPath, capture.Mode, reportWriteError);
  // Set while no engine thread runs; cleared again only after they ended.
  FEngine.BeforeWriter = FBefore.get();
  FEngine.AfterWriter = FAfter.get();
}

std::unique_ptr<TProcess> TSimulation::CreateProcess(const TTcpAdapterList& adapters,
                                                     const TSimulationRequest& request) {
  const TAdapterHandle selected = adapters.AdapterHandle[request.AdapterIndex];
  if (!request.Bridge.Enabled) return std::make_unique<TNormalProcess>(FEngine, FTimers, FErrors, selected);

  const int a = FindAdapterByName(adapters, request.Bridge.AdapterA);
  const int b = FindAdapterByName(adapters, request.Bridge.AdapterB);
  if (a < 0 || b < 0) throw std::runtime_error("Cannot start simulation because the bridge is invalid");
  if (selected != adapters.AdapterHandle[a] && selected != adapters.AdapterHandle[b]) {
    throw std::runtime_error(
        "Cannot start simulation because you have chosen an adapter that does not belong to the bridge. "
        "Please either turn bridging off or choose either adapter in the bridge for simulation.");
  }
  return std::make_unique<TBridgeProcess>(FEngine, FTimers, FErrors,
                                          TBridgeEnd{adapters.AdapterHandle[a], adapters.CurrentAddress[a]}, selected,
                                          TBridgeEnd{adapters.AdapterHandle[b], adapters.CurrentAddress[b]});
}

void TSimulation::Stop() {
  if (!Running()) return;
  TearDown();
}

void TSimulation::TearDown() {
  // No report waits while the threads and writers end: the owner that would
  // show it is busy ending them, perhaps from inside the box they wait for.
  TErrorChannel::TStopping stopping(FErrors);
  // Interception threads end first (inside the process), then the latency
  // thread, the dequeuer and the helper; only then may the files close.
  FProcess.reset();
  FDequeuer.reset();
  FHelper.reset();
  FEngine.BeforeWriter = nullptr;
  FEngine.AfterWriter = nullptr;
  CloseCaptureFile(FBefore);
  CloseCaptureFile(FAfter);
  FEngine.DiscardQueues();
}

void TSimulation::CloseCaptureFile(std::unique_ptr<TLibpcapWriter>& writer) {
  if (!writer) return;
  // No engine thread writes any more: the count is final.
  const uint64_t dropped = writer->DroppedFrames();
  const std::string fileName = writer->FileName();
  writer.reset();
  if (dropped > 0) {
    FErrors.Report("The capture file \"" + fileName + "\" lacks " + std::to_string(dropped) +
                   " frames: they came faster than the disk could take them.");
  }
}
