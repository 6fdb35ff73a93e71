// The frame poller wakes the reader once per arrival on a plain descriptor,
// once until re-armed on a "once" descriptor, and flags arrivals on a
// "noted" descriptor for the reader to take.
#include <gtest/gtest.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

#include "common/FileDescriptor.h"
#include "platform/linux/FramePoller.h"

namespace {

using namespace std::chrono_literals;

// Counts the poller's wake-ups and lets the test wait for a given count.
class TWakeCount {
 public:
  void Add() {
    std::lock_guard guard(FMutex);
    ++FCount;
    FChanged.notify_all();
  }
  // True once at least count wake-ups came; gives up after a generous wait.
  bool WaitFor(int count) {
    std::unique_lock lock(FMutex);
    return FChanged.wait_for(lock, 10s, [&] { return FCount >= count; });
  }
  int Now() {
    std::lock_guard guard(FMutex);
    return FCount;
  }

 private:
  std::mutex FMutex;
  std::condition_variable FChanged;
  int FCount = 0;
};

TFileDescriptor Queue() { return TFileDescriptor(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK), "eventfd"); }

void Arrive(const TFileDescriptor& queue) {
  const uint64_t one = 1;
  ASSERT_EQ(::write(queue.Get(), &one, sizeof one), static_cast<ssize_t>(sizeof one));
}

void Empty(const TFileDescriptor& queue) {
  uint64_t value = 0;
  [[maybe_unused]] ssize_t read = ::read(queue.Get(), &value, sizeof value);
}

TEST(FramePoller, AOnceQueueWakesAgainOnlyAfterRearmAndThenAtOnceForWhatWaits) {
  TFileDescriptor plain = Queue(), once = Queue();
  TWakeCount wakes;
  TFramePoller poller({plain.Get()}, [&] { wakes.Add(); }, {once.Get()});
  Arrive(once);
  ASSERT_TRUE(wakes.WaitFor(1));
  // Further arrivals while the reader is busy do not wake it; a plain
  // queue's arrival afterwards does, so one more wake-up comes in all.
  Arrive(once);
  Arrive(once);
  Arrive(plain);
  ASSERT_TRUE(wakes.WaitFor(2));
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(wakes.Now(), 2);
  // What arrived before the re-arm is reported by it.
  poller.Rearm();
  EXPECT_TRUE(wakes.WaitFor(3));
  // Emptied and re-armed, the queue wakes the reader on its next arrival.
  Empty(once);
  poller.Rearm();
  Arrive(once);
  EXPECT_TRUE(wakes.WaitFor(4));
}

TEST(FramePoller, ANotedQueueFlagsEachArrivalForTheReaderToTake) {
  TFileDescriptor early = Queue(), late = Queue();
  Arrive(early);  // waiting before the poller watches it
  TWakeCount wakes;
  TFramePoller poller({}, [&] { wakes.Add(); }, {}, {early.Get(), late.Get()});
  ASSERT_TRUE(wakes.WaitFor(1));
  EXPECT_TRUE(poller.TakeArrival(0));
  EXPECT_FALSE(poller.TakeArrival(0)) << "a flag is taken once";
  EXPECT_FALSE(poller.TakeArrival(1));
  poller.KeepArrival(0);
  EXPECT_TRUE(poller.TakeArrival(0)) << "a reader that found a frame asks again";
  Arrive(late);
  ASSERT_TRUE(wakes.WaitFor(2));
  EXPECT_TRUE(poller.TakeArrival(1));
  EXPECT_FALSE(poller.TakeArrival(0));
}

}  // namespace
