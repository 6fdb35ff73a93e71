#include "app/WindowRun.h"

#include <QApplication>
#include <cstdio>

#include "app/DesktopIdentity.h"
#include "app/InstanceProtocol.h"
#include "common/MessageBoxes.h"
#include "config/PersistentSettings.h"
#include "engine/Random.h"
#include "platform/TimerFd.h"
#include "platform/linux/AdapterConfig.h"
#include "ui/main/RunSimulatorWindow.h"
#include "ui/main/SimulatorForm.h"

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

int RunWindowed(IPacketDriver& driver, const IEngineClock& clock, const TProgramOptions& options) {
  TEngine engine(driver, clock, ClockSeed());
  TTimerFdFactory timers;
  std::unique_ptr<QSettings> store = OpenSettingsStore();
  TSimulatorContext context{engine, timers, *store, options.Parameters,
                            [](const TTcpAdapterList& adapters) { return DefaultAdapterIndex(adapters); }};
  TSimulatorForm* window = nullptr;
  TInstanceServer server([&window](const TInstanceRequest& request) {
    if (window) window->HandleInstanceMessage(request.Code, request.CommandLine);
  });
  QString whyNot;
  if (!server.Listen(whyNot)) {
    std::fprintf(stderr, "Other launches of the program cannot reach this one: %s\n", whyNot.toLocal8Bit().constData());
  }
  return RunSimulatorWindow(context, [&window](TSimulatorForm& form) { window = &form; });
}
