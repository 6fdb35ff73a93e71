#pragma once
// A run of the emulator without a window: it loads the settings as a start
// of the program does (the persistent settings, then the first profile of
// the command line that loads, else the last configuration), starts the
// simulation on the chosen adapter, reports the counters once a second, and
// stops cleanly at the run-time limit, on SIGINT, SIGTERM or SIGHUP, or when
// a second launch asks it to quit.

#include <QObject>
#include <QSettings>
#include <QTimer>
#include <memory>
#include <string>
#include <vector>

#include "app/ControlChannel.h"
#include "app/InstanceProtocol.h"
#include "app/InterceptionWatch.h"
#include "app/SignalWatch.h"
#include "config/PersistentSettings.h"
#include "config/ProfileReader.h"
#include "settings/SettingsModel.h"
#include "engine/Engine.h"
#include "engine/ErrorChannel.h"
#include "engine/Simulation.h"
#include "platform/MonotonicClock.h"
#include "platform/TimerFd.h"

// Messages of the run: one line each on standard error.
class TStandardErrorSink : public IErrorSink {
 public:
  void ShowError(const std::string& message) override;
};

// Passes messages on and keeps them, for the answer to a second launch.
class TCollectingErrorSink : public IErrorSink {
 public:
  explicit TCollectingErrorSink(IErrorSink& next) : FNext(next) {}
  void ShowError(const std::string& message) override;
  // The messages joined, or whenNone.
  std::string Text(const std::string& whenNone) const;

 private:
  IErrorSink& FNext;
  std::vector<std::string> FMessages;
};

struct TRunOptions {
  // One JSON object per line on standard output instead of the rows.
  bool StatsJson = false;
  // The first instance of the program: saves the settings and the last
  // configuration when it closes. A headless run saves nothing.
  bool ServeInstances = false;
  // Where second launches reach the first instance; none for a headless run
  // (or when the instance name cannot be used).
  TInstanceServer* Server = nullptr;
  // A built-in preset put over the loaded settings; empty for none.
  std::string Preset;
  // Profile paths and switches, in order.
  std::vector<std::string> Parameters;
};

class TRunner : public QObject, public IControlTarget {
  Q_OBJECT
 public:
  TRunner(IPacketDriver& driver, TRunOptions options);
  ~TRunner() override;

  // Runs until the stop; the process's exit status.
  int Run();

  // The control channel: the simulation can be stopped and started again
  // while the run goes on.
  TSettingsModel& Model() override { return FModel; }
  int AdapterCount() const override;
  std::string ApplyParts(const std::vector<TSettingsPart>& parts) override;
  std::string LoadProfile(const std::string& path) override;
  std::string Start() override;
  std::string Stop() override;
  std::string StatisticsJson() override;

 private:
  bool Prepare();
  bool LoadFromCommandLine();
  bool StartSimulation(IErrorSink& errors);
  bool WaitForInterception(IErrorSink& errors);
  void Tick();
  // Stops the simulation, saves where this instance does, and ends the run
  // with the exit status.
  void Finish(int exitCode = 0);
  void StopAndShowReports();
  void ServeErrorReports();
  TInstanceAnswer HandleInstanceRequest(const TInstanceRequest& request);
  TInstanceAnswer HandleForwardedCommandLine(const QString& text);
  void PrintCounters(const TEngineCounters& counters, uint32_t tickIn, uint32_t tickOut);
  // True when every setting was applied; the failure is shown.
  bool ApplyAll();

  TRunOptions FOptions;
  TMonotonicClock FClock;
  TInterceptionWatch FDriver;
  TEngine FEngine;
  TStandardErrorSink FErrorSink;
  TErrorChannel FErrors{FErrorSink};
  TTimerFdFactory FTimers;
  std::unique_ptr<TSimulation> FSimulation;
  std::unique_ptr<QSettings> FStore;
  TPersistentSettings FPersistent;
  TSettingsModel FModel;
  TTcpAdapterList FAdapters;
  TAdapterChoices FChoices;
  std::unique_ptr<TSignalWatch> FSignals;
  QTimer FTick;
  int32_t FSamples = 0;
  bool FFinished = false;
  bool FRunning = false;
  std::string FLastStatistics;  // the counters as last printed
};
