#include "platform/linux/FramePoller.h"

#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <stdexcept>

namespace {
constexpr uint32_t kOnceEvents = EPOLLIN | EPOLLONESHOT;

void Watch(int epoll, int fd, uint32_t events, int operation = EPOLL_CTL_ADD) {
  epoll_event event{};
  event.events = events;
  event.data.fd = fd;
  if (::epoll_ctl(epoll, operation, fd, &event) < 0) ThrowSystemError("watching a frame queue");
}
}  // namespace

TFramePoller::TFramePoller(const std::vector<int>& fds, std::function<void()> onFrames, const std::vector<int>& once,
                           const std::vector<int>& noted)
    : FEpoll(::epoll_create1(EPOLL_CLOEXEC), "epoll"),
      FStop(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK), "eventfd"),
      FOnFrames(std::move(onFrames)),
      FOnce(once),
      FNoted(noted),
      FArrived(std::make_unique<std::atomic<bool>[]>(noted.size())) {
  if (!FOnFrames) throw std::invalid_argument("the frame poller needs a callback");
  Watch(FEpoll.Get(), FStop.Get(), EPOLLIN);
  for (int fd : fds) Watch(FEpoll.Get(), fd, EPOLLIN | EPOLLET);
  for (int fd : FOnce) Watch(FEpoll.Get(), fd, kOnceEvents);
  // Added edge-triggered, a descriptor that already holds frames signals at once.
  for (int fd : FNoted) Watch(FEpoll.Get(), fd, EPOLLIN | EPOLLET);
  FThread = std::thread([this] { Run(); });
}

void TFramePoller::Rearm() {
  for (int fd : FOnce) Watch(FEpoll.Get(), fd, kOnceEvents, EPOLL_CTL_MOD);
}

TFramePoller::~TFramePoller() {
  uint64_t one = 1;
  [[maybe_unused]] ssize_t written = ::write(FStop.Get(), &one, sizeof one);
  FThread.join();
}

void TFramePoller::Run() {
  epoll_event events[4];
  for (;;) {
    int count = ::epoll_wait(FEpoll.Get(), events, 4, -1);
    if (count < 0) {
      if (errno == EINTR) continue;
      return;  // cannot happen with valid descriptors; the engine's 500 ms wake-up still reads
    }
    bool frames = false;
    for (int i = 0; i < count; ++i) {
      const int fd = events[i].data.fd;
      if (fd == FStop.Get()) return;
      for (size_t which = 0; which < FNoted.size(); ++which)
        if (FNoted[which] == fd) FArrived[which].store(true, std::memory_order_release);
      frames = true;
    }
    if (frames) FOnFrames();
  }
}
