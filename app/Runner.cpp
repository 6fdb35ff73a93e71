#include "app/Runner.h"

#include <QCoreApplication>
#include <cstdio>

#include "app/AdapterTexts.h"
#include "app/Statistics.h"
#include "config/CommandLine.h"
#include "config/ModelApply.h"
#include "config/Presets.h"
#include "config/Profiles.h"
#include "engine/Random.h"
#include "platform/linux/AdapterConfig.h"

namespace {

// How long a started simulation may take to hold its adapter.
constexpr auto kInterceptionTimeout = std::chrono::seconds(10);

void PrintLine(FILE* stream, const std::string& line) {
  std::fputs(line.c_str(), stream);
  std::fputc('\n', stream);
  std::fflush(stream);
}

}  // namespace

void TStandardErrorSink::ShowError(const std::string& message) { PrintLine(stderr, message); }

void TCollectingErrorSink::ShowError(const std::string& message) {
  FMessages.push_back(message);
  FNext.ShowError(message);
}

std::string TCollectingErrorSink::Text(const std::string& whenNone) const {
  std::string text;
  for (const std::string& message : FMessages) text += (text.empty() ? "" : "; ") + message;
  return text.empty() ? whenNone : text;
}

TRunner::TRunner(IPacketDriver& driver, TRunOptions options)
    : FOptions(std::move(options)), FDriver(driver), FEngine(FDriver, FClock, ClockSeed()) {
  FSimulation = std::make_unique<TSimulation>(FEngine, FTimers, FErrors);
  // Engine threads wait until their report is shown; show it on this loop.
  FErrors.SetWakeOwner([this] { QMetaObject::invokeMethod(this, [this] { ServeErrorReports(); }, Qt::QueuedConnection); });
  FTick.setInterval(1000);
  connect(&FTick, &QTimer::timeout, this, &TRunner::Tick);
}

TRunner::~TRunner() {
  if (FOptions.Server) FOptions.Server->SetHandler(nullptr);
  StopAndShowReports();
  FErrors.SetWakeOwner(nullptr);
}

void TRunner::StopAndShowReports() {
  FRunning = false;
  FSimulation->Stop();
  // What the threads and capture writers reported while they ended waited
  // for nobody; it is printed now, before the run's last lines.
  FErrors.ServePending();
}

int TRunner::Run() {
  // From here a signal stops the run cleanly; one during the start is served
  // as soon as the loop runs.
  FSignals = std::make_unique<TSignalWatch>([this](int) { Finish(); });
  if (!Prepare() || !LoadFromCommandLine()) return 1;
  if (const TPresetItem* preset = FindPreset(FOptions.Preset)) ApplyPreset(FModel, *preset);
  if (!StartSimulation(FErrorSink)) {
    StopAndShowReports();
    return 1;
  }
  FTick.start();
  return QCoreApplication::exec();
}

bool TRunner::Prepare() {
  if (FOptions.Server) {
    FOptions.Server->SetHandler([this](const TInstanceRequest& r) { return HandleInstanceRequest(r); });
  }
  if (!FDriver.GetTcpipBoundAdaptersInfo(FAdapters) || FAdapters.AdapterCount == 0) {
    FErrorSink.ShowError("Unable to find any network interfaces");
    return false;
  }
  FChoices.Texts = AdapterDisplayTexts(FDriver, FAdapters);
  FChoices.DefaultIndex = DefaultAdapterIndex(FAdapters);
  FModel.SetDefaults(FChoices.DefaultIndex);

  FStore = OpenSettingsStore();
  LoadSettings(*FStore, FPersistent);
  FEngine.MaxQueueSize = static_cast<uint32_t>(FPersistent.MaxQueueSize);
  TPercentageResolution resolution = FPersistent.Resolution;
  resolution.Corruption = 1000;
  FModel.SetResolutions(resolution);
  ApplyResolutions(FEngine, FModel);
  return true;
}

bool TRunner::LoadFromCommandLine() {
  // The run-time switch counts wherever it stands: one behind the profile
  // that loads would otherwise be skipped with the rest of the command line,
  // and the run would never end.
  int32_t seconds = 0;
  if (RunTimeLimitOf(FOptions.Parameters, seconds)) FEngine.RunTimeLimit = seconds;
  bool profileNamed = false;
  for (const std::string& parameter : FOptions.Parameters) {
    if (IsRuntimeSwitch(parameter)) continue;
    profileNamed = true;
    if (::LoadProfile(parameter, FModel, FEngine, FChoices, *FStore, FErrorSink)) return true;
  }
  // Profiles that were named and did not load are not replaced by another
  // configuration: the run fails instead of emulating something else.
  if (profileNamed) {
    FErrorSink.ShowError("Cannot start simulation because no profile could be loaded");
    return false;
  }
  // A last configuration that is there but cannot be used fails the run
  // too; only a missing one leaves the defaults.
  if (TryLoadProfile("", FModel, FEngine, FChoices, *FStore, FErrorSink) == TProfileLoad::plFailed) {
    FErrorSink.ShowError("Cannot start simulation because the last configuration could not be loaded");
    return false;
  }
  return true;
}

bool TRunner::ApplyAll() { return ApplyModelSettings(FEngine, TSettingsPart::spAll, FModel, FErrorSink); }

bool TRunner::StartSimulation(IErrorSink& errors) {
  if (FModel.CardIndex < 0 || static_cast<uint32_t>(FModel.CardIndex) >= FAdapters.AdapterCount) {
    errors.ShowError("Cannot start simulation because no adapter is selected");
    return false;
  }
  TSimulationRequest request;
  request.AdapterIndex = FModel.CardIndex;
  request.Capture = CaptureSettingsOf(FModel);
  request.Bridge = FPersistent.Bridge;
  bool applied = false;
  try {
    FSimulation->Start(FAdapters, request, [this, &applied] { applied = ApplyAll(); });
  } catch (const std::exception& error) {
    errors.ShowError(error.what());
    return false;
  }
  // Settings that do not apply (no rate chosen, a bad port list) would
  // leave the engine with none of them: nothing to emulate.
  if (!applied) {
    errors.ShowError("Cannot start simulation because the settings could not be applied");
    return false;
  }
  if (!WaitForInterception(errors)) return false;
  FRunning = true;
  FSamples = 0;
  PrintCounters(FEngine.Counters(), FEngine.TickBytes.In.exchange(0), FEngine.TickBytes.Out.exchange(0));
  return true;
}

bool TRunner::WaitForInterception(IErrorSink& errors) {
  const TAdapterHandle adapter = FAdapters.AdapterHandle[static_cast<size_t>(FModel.CardIndex)];
  const auto deadline = std::chrono::steady_clock::now() + kInterceptionTimeout;
  while (!FDriver.WaitIntercepted(adapter, std::chrono::milliseconds(50))) {
    // A thread that failed to set up waits for its report to be shown and
    // then ends: after that, nothing will intercept the adapter.
    const bool failed = FErrors.ServePending() > 0 && !FDriver.WaitIntercepted(adapter, std::chrono::milliseconds(0));
    if (failed || std::chrono::steady_clock::now() >= deadline) {
      errors.ShowError("Cannot start simulation because the adapter could not be intercepted");
      return false;
    }
  }
  return true;
}

void TRunner::ServeErrorReports() {
  FErrors.ServePending();
  // The lost adapter's thread has said why and released its hooks; the run
  // cannot go on, and a script must see that it failed.
  if (FSimulation->AdapterLost()) Finish(1);
}

void TRunner::Tick() {
  if (FFinished) return;
  if (FSimulation->AdapterLost()) {
    Finish(1);
    return;
  }
  // Stopped through the control channel: nothing to count until a start.
  if (!FRunning) return;
  const uint32_t in = FEngine.TickBytes.In.exchange(0);
  const uint32_t out = FEngine.TickBytes.Out.exchange(0);
  ++FSamples;
  PrintCounters(FEngine.Counters(), in, out);
  // A limit already passed (set later by a second launch) stops at once
  // rather than never.
  const int32_t limit = FEngine.RunTimeLimit;
  if (limit != 0 && FSamples >= limit) Finish();
}

void TRunner::Finish(int exitCode) {
  if (FFinished) return;
  FFinished = true;
  FTick.stop();
  StopAndShowReports();
  // The final counters, with the bytes of the last part-second.
  PrintCounters(FEngine.Counters(), FEngine.TickBytes.In.exchange(0), FEngine.TickBytes.Out.exchange(0));
  if (FOptions.ServeInstances) {
    SaveSettings(*FStore, FPersistent);
    SaveProfile("", FModel, FEngine, *FStore, FErrorSink);
  }
  QCoreApplication::exit(exitCode);
}

void TRunner::PrintCounters(const TEngineCounters& counters, uint32_t tickIn, uint32_t tickOut) {
  FLastStatistics = CountersJson(counters, tickIn, tickOut, FDriver.KernelPassed());
  if (FOptions.StatsJson) {
    PrintLine(stdout, FLastStatistics);
    return;
  }
  std::string block;
  for (const auto& [name, value] : StatisticsRows(counters)) {
    char line[160];
    std::snprintf(line, sizeof line, "%-24s%s\n", name.c_str(), value.c_str());
    block += line;
  }
  PrintLine(stdout, block);
}

TInstanceAnswer TRunner::HandleInstanceRequest(const TInstanceRequest& request) {
  switch (request.Code) {
    case kInstanceControl:
      return HandleControlRequest(*this, request.CommandLine);
    case kInstanceCommandLine:
      return HandleForwardedCommandLine(request.CommandLine);
    case kInstanceActivate:
      // There is no window to bring to the front; say that one runs.
      PrintLine(stderr, "Ovelda Tarnwick is already running");
      break;
    case kInstanceQuit:
      Finish();
      break;
    default:
      break;
  }
  return {};
}

TInstanceAnswer TRunner::HandleForwardedCommandLine(const QString& text) {
  std::vector<std::string> words = SplitCommandLine(text.toStdString());
  if (!words.empty()) words.erase(words.begin());  // the sender's program path
  TInstanceAnswer answer;
  for (const std::string& word : words) {
    int32_t seconds = 0;
    if (IsRuntimeSwitch(word, seconds)) {
      FEngine.RunTimeLimit = seconds;
      continue;
    }
    // Reloads the settings of the running simulation; never starts or
    // stops one. A profile that does not load refuses the request, so the
    // sender can tell its user.
    TCollectingErrorSink errors(FErrorSink);
    if (!::LoadProfile(word, FModel, FEngine, FChoices, *FStore, errors)) {
      answer.Refused = true;
      if (!answer.Reason.isEmpty()) answer.Reason += QLatin1Char('\n');
      answer.Reason += QString::fromStdString(word + ": " + errors.Text("the profile is empty"));
    }
    ApplyAll();
  }
  return answer;
}

int TRunner::AdapterCount() const { return static_cast<int>(FAdapters.AdapterCount); }

std::string TRunner::ApplyParts(const std::vector<TSettingsPart>& parts) {
  TCollectingErrorSink errors(FErrorSink);
  for (const TSettingsPart part : parts) ApplyModelSettings(FEngine, part, FModel, errors);
  return errors.Text("");
}

std::string TRunner::LoadProfile(const std::string& path) {
  TCollectingErrorSink errors(FErrorSink);
  if (!::LoadProfile(path, FModel, FEngine, FChoices, *FStore, errors)) return errors.Text("The profile is empty");
  ApplyModelSettings(FEngine, TSettingsPart::spAll, FModel, errors);
  return errors.Text("");
}

std::string TRunner::Start() {
  if (FRunning || FFinished) return FFinished ? "The run is ending" : "";
  TCollectingErrorSink errors(FErrorSink);
  if (!StartSimulation(errors)) {
    StopAndShowReports();
    return errors.Text("The simulation could not be started");
  }
  return {};
}

std::string TRunner::Stop() {
  if (FRunning) {
    StopAndShowReports();
    // The counters at the stop, with the bytes of the last part-second.
    PrintCounters(FEngine.Counters(), FEngine.TickBytes.In.exchange(0), FEngine.TickBytes.Out.exchange(0));
  }
  return {};
}

std::string TRunner::StatisticsJson() { return FLastStatistics; }
