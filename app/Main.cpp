// Program entry: the program's own options, then the start-up of the
// emulator: forward to a running instance, or become the instance and run.
// Until the window exists, the instance runs the same way as a headless run.

#include <QCoreApplication>
#include <QDir>
#include <csignal>
#include <cstdio>

#include "app/AdapterTexts.h"
#include "app/ControlCommand.h"
#include "app/DriverSession.h"
#include "app/InstanceProtocol.h"
#include "app/ProgramOptions.h"
#include "app/Runner.h"
#include "app/WindowRun.h"
#include "config/CommandLine.h"
#include "platform/MonotonicClock.h"
#include "platform/linux/Privileges.h"

#ifndef OT_VERSION
#define OT_VERSION "unknown"
#endif

namespace {

constexpr const char* kDriverMissing =
    "Unable to initialise the network driver. Please reboot the system or reinstall this application.";
// A running instance may be stopping a simulation and saving before it
// answers a request, so the sender waits generously.
constexpr int kAnswerTimeoutMs = 60000;

std::unique_ptr<TDriverSession> OpenDriver(const std::string& kind, const IEngineClock& clock) {
  std::string whyNot;
  auto session = OpenDriverSession(kind, clock, whyNot);
  if (!session || !session->Driver->IsDriverLoaded()) {
    std::fprintf(stderr, "%s\n", kDriverMissing);
    if (!whyNot.empty()) std::fprintf(stderr, "%s\n", whyNot.c_str());
    // Started from the desktop menu, nobody reads standard error: the box
    // says what is missing too (the helper, or membership of its group).
    ShowStartError(whyNot.empty() ? std::string(kDriverMissing) : std::string(kDriverMissing) + "\n\n" + whyNot);
    return nullptr;
  }
  return session;
}

int ListAdapters(const std::string& kind) {
  TMonotonicClock clock;
  // The list needs no privileges, hence no helper.
  auto session = kind == "linux" ? OpenLinuxAdapterListSession() : OpenDriver(kind, clock);
  if (!session) return 1;
  TTcpAdapterList adapters;
  if (!session->Driver->GetTcpipBoundAdaptersInfo(adapters) || adapters.AdapterCount == 0) {
    std::fprintf(stderr, "Unable to find any network interfaces\n");
    return 1;
  }
  const std::vector<std::string> texts = AdapterDisplayTexts(*session->Driver, adapters);
  for (size_t i = 0; i < texts.size(); ++i) std::printf("%zu\t%s\n", i, texts[i].c_str());
  return 0;
}

int Emulate(const TProgramOptions& options, TInstanceServer* server) {
  TMonotonicClock clock;
  auto session = OpenDriver(options.Driver, clock);
  if (!session) return 1;
  if (RunsWithWindow(options)) return RunWindowed(*session->Driver, clock, options, server);
  TRunner runner(*session->Driver,
                 TRunOptions{options.StatsJson, !options.Headless, server, options.Preset, options.Parameters});
  return runner.Run();
}

// A second launch hands its command line to the first and ends; true when
// it did (exitCode says how that went). Without one running, server (when
// given) becomes the first instance's.
bool ForwardToFirstInstance(const std::string& program, const std::vector<std::string>& parameters,
                            const std::string& instance, TInstanceServer* server, int& exitCode) {
  // The first instance has a working directory of its own.
  const std::vector<std::string> absolute =
      WithAbsoluteProfilePaths(parameters, QDir::currentPath().toStdString());
  std::vector<std::string> words{program};
  words.insert(words.end(), absolute.begin(), absolute.end());
  const TInstanceRequest request{InstanceCodeFor(parameters), QString::fromStdString(JoinCommandLine(words))};
  QString why;
  switch (ForwardOrClaim(request, server, kAnswerTimeoutMs, why, instance)) {
    case TForwardResult::frNoInstance:
      return false;
    case TForwardResult::frUnreachable:
      if (!server) break;  // nothing this launch could tell a running instance
      std::fprintf(stderr, "Other launches of the program cannot reach this one: %s\n", why.toLocal8Bit().constData());
      return false;
    case TForwardResult::frDelivered:
      exitCode = 0;
      return true;
    case TForwardResult::frRefused:
    case TForwardResult::frFailed:
      break;
  }
  std::fprintf(stderr, "%s\n", why.toLocal8Bit().constData());
  exitCode = 1;
  return true;
}

// A headless run listens for the control channel on its instance name: the
// one it was given, which must be free, or the default one when no other
// run holds it. False when the run cannot go on.
bool ClaimHeadlessInstance(const std::string& instance, std::unique_ptr<TInstanceServer>& server) {
  server = std::make_unique<TInstanceServer>(instance);
  QString why;
  switch (server->Claim(why)) {
    case TClaimResult::crOwned:
      return true;
    case TClaimResult::crTaken:
      server.reset();
      if (!instance.empty()) {
        std::fprintf(stderr, "An instance named \"%s\" is already running\n", instance.c_str());
        return false;
      }
      std::fprintf(stderr, "Another instance holds the default name; give this run --instance NAME to control it\n");
      return true;
    case TClaimResult::crUnreachable:
      server.reset();
      std::fprintf(stderr, "This run cannot be controlled: %s\n", why.toLocal8Bit().constData());
      return instance.empty();
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  // Before Qt reads its plugin paths from the environment.
  const std::string refusal = OwnCapabilitiesRefusal();
  if (!refusal.empty()) {
    std::fprintf(stderr, "%s\n", refusal.c_str());
    return 1;
  }
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);
  const TProgramOptions options = ParseProgramOptions(arguments);

  const std::unique_ptr<QCoreApplication> application = CreateApplication(argc, argv, RunsWithWindow(options));
  QCoreApplication::setApplicationName(QStringLiteral("Ovelda Tarnwick"));
  QCoreApplication::setOrganizationName(QStringLiteral("Ovelda"));
  // A reader of our output that goes away must not kill a run mid-way.
  std::signal(SIGPIPE, SIG_IGN);
  if (!options.Error.empty()) {
    std::fprintf(stderr, "%s\n%s", options.Error.c_str(), UsageText(argv[0]).c_str());
    return 2;
  }
  if (options.Help) {
    std::printf("%s", UsageText(argv[0]).c_str());
    return 0;
  }
  if (options.Version) {
    std::printf("Ovelda Tarnwick %s\n", OT_VERSION);
    return 0;
  }
  if (options.ListAdapters) return ListAdapters(options.Driver);
  if (options.Control) return RunControlCommand(options.Instance, options.ControlWords);

  const bool quit = std::any_of(options.Parameters.begin(), options.Parameters.end(),
                                [](const std::string& p) { return IsQuitSwitch(p); });
  // Headless runs never forward: they own an instance name only for the
  // control channel.
  std::unique_ptr<TInstanceServer> server;
  if (options.Headless) {
    if (!quit && !ClaimHeadlessInstance(options.Instance, server)) return 1;
  } else {
    if (!quit) server = std::make_unique<TInstanceServer>(options.Instance);
    int exitCode = 0;
    if (ForwardToFirstInstance(argv[0], options.Parameters, options.Instance, server.get(), exitCode)) return exitCode;
  }
  // With no instance to tell, the quit switch ends this launch at once.
  if (quit) return 0;
  return Emulate(options, server.get());
}
