#include "app/WindowRun.h"

#include <QApplication>
#include <cstdio>

#include "app/ControlChannel.h"
#include "app/DesktopIdentity.h"
#include "app/InstanceProtocol.h"
#include "app/SignalWatch.h"
#include "app/Statistics.h"
#include "config/PersistentSettings.h"
#include "engine/Random.h"
#include "platform/TimerFd.h"
#include "platform/linux/AdapterConfig.h"
#include "ui/main/RunSimulatorWindow.h"
#include "ui/main/SimulatorForm.h"
#include "widgets/MessageBoxes.h"

bool HasDisplay() {
  if (qgetenv("QT_QPA_PLATFORM") == "offscreen") return false;
  return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

// Counters printed on standard output belong to a run without a window.
bool RunsWithWindow(const TProgramOptions& options) {
  return !options.Headless && !options.StatsJson && !options.ListAdapters && !options.Help && !options.Version &&
         !options.Control && HasDisplay();
}

std::unique_ptr<QCoreApplication> CreateApplication(int& argc, char** argv, bool withWindow) {
  if (withWindow) {
    auto application = std::make_unique<QApplication>(argc, argv);
    SetDesktopIdentity();
    return application;
  }
  return std::make_unique<QCoreApplication>(argc, argv);
}

void ShowStartError(const std::string& message) {
  if (qobject_cast<QApplication*>(QCoreApplication::instance())) {
    MessageBoxes().ShowError(nullptr, QString::fromStdString(message));
  }
}

namespace {

// A forwarded command line is refused when a profile it names did not load.
TInstanceAnswer AnswerFor(const std::vector<std::string>& notLoaded) {
  TInstanceAnswer answer;
  for (const std::string& profile : notLoaded) {
    answer.Refused = true;
    if (!answer.Reason.isEmpty()) answer.Reason += QLatin1Char('\n');
    answer.Reason += QString::fromStdString(profile + ": Unable to open the profile");
  }
  return answer;
}

// The control channel in the window: a change shows in the controls at
// once and applies as the user's edit of them would.
class TWindowControl : public IControlTarget {
 public:
  TWindowControl(TSimulatorForm& window, TEngine& engine) : FWindow(window), FEngine(engine) {}

  TSettingsModel& Model() override { return FWindow.Model; }
  int AdapterCount() const override { return static_cast<int>(FWindow.Adapters.AdapterCount); }
  std::string ApplyParts(const std::vector<TSettingsPart>& parts) override {
    FWindow.ShowModel();
    for (const TSettingsPart part : parts) FWindow.ApplySettings(part);
    return {};
  }
  std::string LoadProfile(const std::string& path) override {
    if (!FWindow.LoadProfile(path)) return path + ": Unable to open the profile";
    // As after a profile the user chose: what it holds applies at once,
    // and the status bar shows it.
    FWindow.FormActivate();
    return {};
  }
  std::string Start() override {
    if (!FWindow.Running()) FWindow.StartSimulation();
    return FWindow.Running() ? std::string() : "The simulation could not be started";
  }
  std::string Stop() override {
    FWindow.StopSimulation();
    return {};
  }
  std::string StatisticsJson() override {
    const TTrafficSamples& samples = FWindow.TrafficSamples;
    const uint32_t in = samples.empty() ? 0 : samples.back().InBytes;
    const uint32_t out = samples.empty() ? 0 : samples.back().OutBytes;
    return CountersJson(FEngine.Counters(), in, out, FEngine.Driver.KernelPassed());
  }

 private:
  TSimulatorForm& FWindow;
  TEngine& FEngine;
};

}  // namespace

int RunWindowed(IPacketDriver& driver, const IEngineClock& clock, const TProgramOptions& options,
                TInstanceServer* server) {
  TEngine engine(driver, clock, ClockSeed());
  TTimerFdFactory timers;
  std::unique_ptr<QSettings> store = OpenSettingsStore();
  TSimulatorContext context{engine, timers, *store, options.Parameters,
                            [](const TTcpAdapterList& adapters) { return DefaultAdapterIndex(adapters); }};
  TSimulatorForm* window = nullptr;
  if (server) {
    server->SetHandler([&window, &engine](const TInstanceRequest& request) {
      if (!window) return TInstanceAnswer{true, QStringLiteral("The running instance is starting up")};
      if (request.Code == kInstanceControl) {
        TWindowControl control(*window, engine);
        return HandleControlRequest(control, request.CommandLine);
      }
      return AnswerFor(window->HandleInstanceMessage(request.Code, request.CommandLine));
    });
  }
  // A signal closes the window as the user does (stop, save); then every
  // event loop ends, also that of a box or dialog still open.
  TSignalWatch stopOnSignal([&window](int) {
    if (window) window->close();
    QCoreApplication::exit(0);
  });
  const int exitCode = RunSimulatorWindow(context, [&window](TSimulatorForm& form) { window = &form; });
  if (server) server->SetHandler(nullptr);
  return exitCode;
}
