#include "app/SignalWatch.h"

#include <fcntl.h>
#include <cerrno>
#include <signal.h>
#include <unistd.h>

#include <iterator>
#include <stdexcept>

namespace {

int gPipe[2] = {-1, -1};

// A closed terminal (SIGHUP) ends a run the same way as a request to stop.
constexpr int kWatched[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction gPrevious[std::size(kWatched)];

// nohup, and a shell that starts a job in the background, ignore SIGHUP or
// SIGINT for the program on purpose; that choice stands.
bool KeepsIgnoring(int signal, const struct sigaction& previous) {
  return signal != SIGTERM && previous.sa_handler == SIG_IGN;
}

void OnSignal(int signal) {
  const int saved = errno;
  const unsigned char byte = static_cast<unsigned char>(signal);
  [[maybe_unused]] const ssize_t written = write(gPipe[1], &byte, 1);
  errno = saved;
}

}  // namespace

TSignalWatch::TSignalWatch(std::function<void(int)> onSignal, QObject* parent)
    : QObject(parent), FOnSignal(std::move(onSignal)) {
  if (pipe2(gPipe, O_CLOEXEC | O_NONBLOCK) != 0) throw std::runtime_error("Cannot create the signal pipe");
  FNotifier = std::make_unique<QSocketNotifier>(gPipe[0], QSocketNotifier::Read);
  connect(FNotifier.get(), &QSocketNotifier::activated, this, [this] {
    unsigned char byte = 0;
    while (read(gPipe[0], &byte, 1) == 1) FOnSignal(byte);
  });
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (size_t i = 0; i < std::size(kWatched); ++i) {
    sigaction(kWatched[i], nullptr, &gPrevious[i]);
    if (!KeepsIgnoring(kWatched[i], gPrevious[i])) sigaction(kWatched[i], &action, nullptr);
  }
}

TSignalWatch::~TSignalWatch() {
  for (size_t i = 0; i < std::size(kWatched); ++i) sigaction(kWatched[i], &gPrevious[i], nullptr);
  FNotifier.reset();
  close(gPipe[0]);
  close(gPipe[1]);
  gPipe[0] = gPipe[1] = -1;
}
