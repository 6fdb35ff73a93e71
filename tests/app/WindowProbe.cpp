// The program with its main window on a platform without a display
// (offscreen), where the program itself would run without a window: the
// window's run as a first launch has it, given the program's options.
#include <QApplication>
#include <cstdio>

#include "app/DriverSession.h"
#include "app/InstanceProtocol.h"
#include "app/ProgramOptions.h"
#include "app/WindowRun.h"
#include "platform/MonotonicClock.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  const TProgramOptions options = ParseProgramOptions(std::vector<std::string>(argv + 1, argv + argc));
  TMonotonicClock clock;
  std::string whyNot;
  const auto session = OpenDriverSession(options.Driver, clock, whyNot);
  if (!options.Error.empty() || !session) {
    std::fprintf(stderr, "%s%s\n", options.Error.c_str(), whyNot.c_str());
    return 2;
  }
  TInstanceServer server;
  QString why;
  if (server.Claim(why) != TClaimResult::crOwned) {
    std::fprintf(stderr, "%s\n", why.toLocal8Bit().constData());
    return 2;
  }
  return RunWindowed(*session->Driver, clock, options, &server);
}
