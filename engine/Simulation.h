#pragma once
// One run of the engine on the chosen adapter, or on both adapters of a
// bridge: what StartSimulation builds and StopSimulation tears down, without
// anything that concerns a window (timers, buttons, graphs are the owner's).

#include <functional>
#include <memory>
#include <string>

#include "engine/Engine.h"
#include "engine/EngineClock.h"
#include "engine/ErrorChannel.h"
#include "engine/NamedEvents.h"
#include "engine/PacketDriver.h"

class TProcess;
class TDequeuer;
class THelper;
class TLibpcapWriter;

struct TCaptureSettings {
  bool Enabled = false;
  std::string BeforePath;
  std::string AfterPath;
  int Mode = 0;  // 0 "Overwrite", 1 "Append", 2 "Auto rename"
};

struct TBridgeSettings {
  bool Enabled = false;
  TAdapterName AdapterA{};
  TAdapterName AdapterB{};
};

struct TSimulationRequest {
  int AdapterIndex = -1;  // position in the driver's adapter list
  TCaptureSettings Capture;
  TBridgeSettings Bridge;
};

// Position of the adapter whose 256-byte driver name equals name, or -1.
int FindAdapterByName(const TTcpAdapterList& adapters, const TAdapterName& name);

// Opens one capture writer: path, write mode, and what to call when a record
// cannot be written.
using TCaptureOpener = std::function<std::unique_ptr<TLibpcapWriter>(
    const std::string& path, int mode, std::function<void(const std::string&)> onWriteError)>;

class TSimulation {
 public:
  TSimulation(TEngine& engine, ITimerFactory& timers, TErrorChannel& errors);

  // Replaces how capture writers are opened (a test's slow or failing disk).
  void SetCaptureOpener(TCaptureOpener opener) { FOpenCapture = std::move(opener); }
  ~TSimulation();
  TSimulation(const TSimulation&) = delete;
  TSimulation& operator=(const TSimulation&) = delete;

  bool Running() const { return FProcess != nullptr; }
  // True when the running simulation has lost an adapter (removed,
  // unplugged): its thread has reported that and released its hooks, and the
  // owner stops the simulation.
  bool AdapterLost() const;

  // Resets the engine state, runs applyAllSettings (which shows its own
  // errors), opens the capture files and starts the threads. Throws with the
  // message to show when the start fails; everything built so far is freed
  // first. Does nothing while a simulation runs.
  void Start(const TTcpAdapterList& adapters, const TSimulationRequest& request,
             const std::function<void()>& applyAllSettings);

  // Ends every thread, closes the capture files and discards every queued
  // frame. The counters keep their values. A capture file that had to leave
  // frames out (the disk was slower than the traffic) is reported with their
  // number. Never waits for an error report
  // to be shown: what the threads and writers report meanwhile stays queued
  // in the error channel for the owner's next ServePending. Does nothing
  // when no simulation runs.
  void Stop();

 private:
  void OpenCaptureFiles(const TCaptureSettings& capture);
  std::unique_ptr<TProcess> CreateProcess(const TTcpAdapterList& adapters, const TSimulationRequest& request);
  void TearDown();
  void CloseCaptureFile(std::unique_ptr<TLibpcapWriter>& writer);

  TEngine& FEngine;
  ITimerFactory& FTimers;
  TErrorChannel& FErrors;
  TCaptureOpener FOpenCapture;
  TNamedEvents FEvents;
  std::unique_ptr<TProcess> FProcess;
  std::unique_ptr<TDequeuer> FDequeuer;
  std::unique_ptr<THelper> FHelper;
  std::unique_ptr<TLibpcapWriter> FBefore;
  std::unique_ptr<TLibpcapWriter> FAfter;
};
