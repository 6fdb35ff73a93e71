#include "app/WindowRun.h"

#include <QApplication>
#include <cstdio>

#include "app/DesktopIdentity.h"
#include "app/InstanceProtocol.h"
#include "app/SignalWatch.h"
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
         HasDisplay();
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
    server->SetHandler([&window](const TInstanceRequest& request) {
      if (!window) return TInstanceAnswer{true, QStringLiteral("The running instance is starting up")};
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
