// Whole simulations with their threads on lab adapters: start and stop,
// error reports of threads, refused starts, and bridge forwarding.

#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <cstdio>
#include <thread>

#include "capture/LibpcapWriter.h"
#include "engine/BridgeProcess.h"
#include "engine/Simulation.h"
#include "platform/LabDriver.h"
#include "platform/MonotonicClock.h"
#include "platform/TimerFd.h"
#include "tests/capture/FileSizeLimit.h"
#include "tests/engine/EngineFixture.h"
#include "tests/engine/HangGuard.h"

namespace {

constexpr int kWaitMs = 10000;  // generous: only reached when something is broken

class Simulation : public ::testing::Test {
 protected:
  Simulation() {
    A = Driver.AddAdapter("labA", kMacA);
    B = Driver.AddAdapter("labB", kMacB);
    Engine.LocalAddressSource = [] { return TIPAddrList(); };
    Model.SetDefaults(0);
  }
  ~Simulation() override { Run.Stop(); }

  void Start(int index, const TSimulationRequest& base = {}) {
    TSimulationRequest request = base;
    request.AdapterIndex = index;
    TTcpAdapterList adapters;
    Driver.GetTcpipBoundAdaptersInfo(adapters);
    Run.Start(adapters, request, [this] { ApplySettings(Engine, TSettingsPart::spAll, Model); });
  }

  bool WaitUntil(const std::function<bool()>& done) { return Driver.WaitFor(done, kWaitMs); }

  static constexpr TMacAddress kMacA{0x02, 0, 0, 0, 0, 0xA};
  static constexpr TMacAddress kMacB{0x02, 0, 0, 0, 0, 0xB};

  TMonotonicClock Clock;
  TLabDriver Driver{Clock};
  TAdapterHandle A = 0, B = 0;
  TTimerFdFactory Timers;
  TCollectingSink Sink;
  TErrorChannel Errors{Sink};
  TEngine Engine{Driver, Clock, 7};
  TSettingsModel Model;
  TSimulation Run{Engine, Timers, Errors};
};

std::vector<uint8_t> FrameBetween(const TMacAddress& destination, const TMacAddress& source, uint32_t sequence = 0) {
  auto frame = UdpFrame(100, sequence);
  std::copy(destination.begin(), destination.end(), frame.begin());
  std::copy(source.begin(), source.end(), frame.begin() + 6);
  return frame;
}

TEST_F(Simulation, FramesTravelAndStopReleasesTheAdapter) {
  Start(0);
  ASSERT_TRUE(Run.Running());
  ASSERT_TRUE(WaitUntil([&] { return Driver.Intercepting(A); }));
  for (uint32_t i = 0; i < 50; ++i) {
    Driver.SendFromStack(A, UdpFrame(100, i));
    Driver.ReceiveFromWire(A, UdpFrame(200, i));
  }
  ASSERT_TRUE(WaitUntil([&] { return Driver.SentToWireCount(A) == 50 && Driver.DeliveredToStackCount(A) == 50; }));
  const auto sent = Driver.TakeSentToWire(A);
  for (uint32_t i = 0; i < 50; ++i) ASSERT_EQ(SequenceOf(sent[i]), i);
  Run.Stop();
  EXPECT_FALSE(Run.Running());
  EXPECT_FALSE(Driver.Intercepting(A));
  EXPECT_FALSE(Driver.HasPacketEvent(A));
  const TEngineCounters c = Engine.Counters();
  EXPECT_EQ(c.SentOut, 50u) << "counters keep their values after the stop";
  EXPECT_EQ(c.BytesIn, 50u * 200);
  Start(0);
  EXPECT_EQ(Engine.Counters().SentOut, 0u) << "and start again from zero";
}

TEST_F(Simulation, StopDiscardsFramesWaitingInTheLatencyAndRateQueues) {
  Model.LatencyEnabled = true;
  Model.DelayFrom = 60000;
  Model.SelectRate(TShapingRate("slow", 0, 8));  // 1 byte per second: nothing outgoing passes
  Start(0);
  ASSERT_TRUE(WaitUntil([&] { return Driver.Intercepting(A); }));
  for (uint32_t i = 0; i < 20; ++i) {
    Driver.SendFromStack(A, UdpFrame(100, i));
    Driver.ReceiveFromWire(A, UdpFrame(100, i));
  }
  ASSERT_TRUE(WaitUntil([&] { return Driver.WaitingFrames(A) == 0 && Engine.Counters().DelayedIn == 20; }));
  Run.Stop();
  EXPECT_EQ(Driver.SentToWireCount(A) + Driver.DeliveredToStackCount(A), 0u);
  EXPECT_EQ(Engine.Counters().SentIn, 0u);
  EXPECT_EQ(Engine.State.LatencyQueue.Count(), 0u);
  EXPECT_EQ(Engine.State.RateQueueOut.Count(), 0u);
}

TEST_F(Simulation, InterceptionFailureIsReportedAndTheSimulationKeepsRunning) {
  Driver.SetFaults(A, TLabFaults{.SetAdapterMode = true});
  Start(0);
  ASSERT_TRUE(WaitUntil([&] {
    Errors.ServePending();
    return !Sink.Messages.empty();
  }));
  EXPECT_EQ(Sink.Messages[0], "Error occured in TNormalProcess.TNormalThread: Failed to set filter");
  EXPECT_TRUE(Run.Running());
  EXPECT_FALSE(Driver.HasPacketEvent(A)) << "the event registration was undone";
}

// A stop reached while a thread waits for its report ends, and the report is
// still shown, once: whether nobody has shown it yet (a headless owner busy
// stopping) or its box is open and the stop runs inside that box, as a
// run-time limit or a quit request does in the box's event loop.
TEST_F(Simulation, StopEndsWhileAThreadWaitsForItsReport) {
  const std::string capture = testing::TempDir() + "/full-" + std::to_string(getpid()) + ".pcap";
  struct TCase {
    const char* Name;
    bool WriterFails;  // else the interception thread fails to set up
    bool StopInsideTheBox;
    std::string Message;
  };
  const std::string writerMessage = "Error occured in TLibpcapWriter.TBufferWriter: File too large";
  const std::string threadMessage = "Error occured in TNormalProcess.TNormalThread: Failed to set filter";
  const TCase cases[] = {
      {"capture write failed, report unserved", true, false, writerMessage},
      {"capture write failed, stop inside its box", true, true, writerMessage},
      {"interception failed, report unserved", false, false, threadMessage},
      {"interception failed, stop inside its box", false, true, threadMessage},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    Sink.Messages.clear();
    Sink.WhileShown = nullptr;
    std::atomic<bool> reported{false};
    Errors.SetWakeOwner([&] { reported = true; });
    Driver.SetFaults(A, TLabFaults{.SetAdapterMode = !c.WriterFails});
    TSimulationRequest request;
    if (c.WriterFails) request.Capture = TCaptureSettings{true, capture, "", 0};
    {
      // Room for the file header, none for a record.
      TFileSizeLimit limit(30);
      Start(0, request);
      if (c.WriterFails) {
        ASSERT_TRUE(WaitUntil([&] { return Driver.Intercepting(A); }));
        Driver.SendFromStack(A, UdpFrame(100));
      }
      ASSERT_TRUE(WaitUntil([&] { return reported.load(); }));
      THangGuard guard(c.Name);
      if (c.StopInsideTheBox) {
        Sink.WhileShown = [&](const std::string&) { Run.Stop(); };
        Errors.ServePending();
      } else {
        Run.Stop();
      }
    }
    EXPECT_FALSE(Run.Running());
    EXPECT_FALSE(Driver.Intercepting(A));
    Errors.ServePending();
    EXPECT_EQ(Sink.Messages, std::vector<std::string>{c.Message});
  }
  Errors.SetWakeOwner(nullptr);
  std::remove(capture.c_str());
}

// The "before" capture on a disk that takes nothing until the stop is under
// way and then answers with the given result: the writer's last block is
// written, or fails, while the stop closes the file, and every frame beyond
// the queue's small bound was dropped meanwhile.
TEST_F(Simulation, StopEndsWhenTheLastCaptureWriteFailsAndReportsDroppedFrames) {
  const std::string capture = testing::TempDir() + "/stalled-" + std::to_string(getpid()) + ".pcap";
  constexpr size_t kBound = 1000;
  constexpr uint32_t kFrameSize = 100;
  constexpr uint64_t kFrames = 20;
  constexpr uint64_t kKept = kBound / (16 + kFrameSize);
  const std::string dropped = "The capture file \"" + capture + "\" lacks " + std::to_string(kFrames - kKept) +
                              " frames: they came faster than the disk could take them.";
  const struct {
    const char* Name;
    int LastWrite;  // 0 or the errno
    std::vector<std::string> Messages;
  } cases[] = {
      {"disk full at the stop", ENOSPC, {"Error occured in TLibpcapWriter.TBufferWriter: No space left on device", dropped}},
      {"disk slow until the stop", 0, {dropped}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    Sink.Messages.clear();
    const int lastWrite = c.LastWrite;
    Run.SetCaptureOpener([&](const std::string& path, int mode, std::function<void(const std::string&)> onError) {
      TCaptureQueueOptions queue{kBound, [&, lastWrite](int fd, const uint8_t* data, size_t size) {
        while (Driver.Intercepting(A)) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        // Past the engine's threads, to the closing of the file.
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (lastWrite != 0) return lastWrite;
        return ::write(fd, data, size) == static_cast<ssize_t>(size) ? 0 : EIO;
      }};
      return std::make_unique<TLibpcapWriter>(path, mode, std::move(onError), TCaptureClock::System(), queue);
    });
    TSimulationRequest request;
    request.Capture = TCaptureSettings{true, capture, "", 0};
    Start(0, request);
    ASSERT_TRUE(WaitUntil([&] { return Driver.Intercepting(A); }));
    const uint64_t sentBefore = Driver.SentToWireCount(A);
    for (uint32_t i = 0; i < kFrames; ++i) Driver.SendFromStack(A, UdpFrame(kFrameSize, i));
    ASSERT_TRUE(WaitUntil([&] { return Driver.SentToWireCount(A) == sentBefore + kFrames; }));
    {
      THangGuard guard(c.Name);
      Run.Stop();
    }
    Errors.ServePending();
    EXPECT_EQ(Sink.Messages, c.Messages);
    if (lastWrite == 0) EXPECT_EQ(std::filesystem::file_size(capture), 24 + kKept * (16 + kFrameSize));
  }
  std::remove(capture.c_str());
}

// Unlike other thread errors, a lost adapter ends the simulation: the
// thread releases the adapter before its report is shown, and the owner
// learns from the simulation that it must stop.
TEST_F(Simulation, ALostAdapterIsReportedWithItsHooksReleasedAndEndsTheSimulation) {
  Start(0);
  ASSERT_TRUE(WaitUntil([&] { return Driver.Intercepting(A); }));
  EXPECT_FALSE(Run.AdapterLost());
  Driver.SetFaults(A, TLabFaults{.Lost = true});
  bool releasedBeforeShown = false;
  ASSERT_TRUE(WaitUntil([&] {
    if (!Sink.Messages.empty()) return true;
    releasedBeforeShown = !Driver.Intercepting(A);
    Errors.ServePending();
    return false;
  }));
  EXPECT_EQ(Sink.Messages[0],
            "Error occured in TNormalProcess.TNormalThread: The network adapter labA is no longer available");
  EXPECT_TRUE(releasedBeforeShown);
  EXPECT_TRUE(Run.AdapterLost());
  Run.Stop();
  EXPECT_FALSE(Run.AdapterLost());
  EXPECT_FALSE(Driver.HasPacketEvent(A));
}

TEST_F(Simulation, RefusedStartsLeaveNothingRunning) {
  const std::string capture = testing::TempDir() + "/refused-" + std::to_string(getpid()) + ".pcap";
  TSimulationRequest request;
  request.Capture = TCaptureSettings{true, capture, "", 0};
  request.Bridge.Enabled = true;
  request.Bridge.AdapterA = MakeAdapterName("labA");
  request.Bridge.AdapterB = MakeAdapterName("labB");
  Driver.AddAdapter("labC", {0x02, 0, 0, 0, 0, 0xC});
  try {
    Start(2, request);
    FAIL() << "an adapter outside the bridge must be refused";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()),
              "Cannot start simulation because you have chosen an adapter that does not belong to the bridge. "
              "Please either turn bridging off or choose either adapter in the bridge for simulation.");
  }
  EXPECT_FALSE(Run.Running());
  EXPECT_FALSE(Driver.Intercepting(A));
  EXPECT_EQ(Engine.BeforeWriter, nullptr) << "the capture file opened first is closed again";

  request.Bridge.AdapterB = MakeAdapterName("gone");
  EXPECT_THROW(
      {
        try {
          Start(0, request);
        } catch (const std::runtime_error& e) {
          EXPECT_STREQ(e.what(), "Cannot start simulation because the bridge is invalid");
          throw;
        }
      },
      std::runtime_error);

  request = {};
  request.Capture = TCaptureSettings{true, "/nonexistent-dir/x.pcap", "", 0};
  EXPECT_THROW(Start(0, request), std::exception);
  EXPECT_FALSE(Run.Running());
  std::remove(capture.c_str());
}

class Bridge : public Simulation {
 protected:
  void StartBridge(int selected) {
    TSimulationRequest request;
    request.Bridge.Enabled = true;
    request.Bridge.AdapterA = MakeAdapterName("labA");
    request.Bridge.AdapterB = MakeAdapterName("labB");
    Start(selected, request);
    ASSERT_TRUE(WaitUntil([&] { return Driver.Intercepting(A) && Driver.Intercepting(B); }));
  }
  static constexpr TMacAddress kHostBehindA{0x02, 0, 0, 0, 1, 0xA};
  static constexpr TMacAddress kHostBehindB{0x02, 0, 0, 0, 1, 0xB};
};

TEST_F(Bridge, ForwardsBetweenSegmentsWithTheDirectionOfTheSelectedAdapter) {
  StartBridge(1);  // B selected
  EXPECT_EQ(Driver.HwPacketFilter(A) & kHwFilterPromiscuous, kHwFilterPromiscuous);
  Driver.ReceiveFromWire(A, FrameBetween(kHostBehindB, kHostBehindA, 1));
  Driver.ReceiveFromWire(B, FrameBetween(kHostBehindA, kHostBehindB, 2));
  ASSERT_TRUE(WaitUntil([&] { return Driver.SentToWireCount(A) == 1 && Driver.SentToWireCount(B) == 1; }));
  EXPECT_EQ(SequenceOf(Driver.TakeSentToWire(B)[0]), 1u);
  EXPECT_EQ(SequenceOf(Driver.TakeSentToWire(A)[0]), 2u);
  const TEngineCounters c = Engine.Counters();
  EXPECT_EQ(c.SentOut, 1u) << "entering at A, leaving by the selected B: outgoing";
  EXPECT_EQ(c.SentIn, 1u) << "entering at the selected B: incoming";
  EXPECT_EQ(Driver.DeliveredToStackCount(A) + Driver.DeliveredToStackCount(B), 0u)
      << "forwarded frames never reach the local stack";
  Run.Stop();
  EXPECT_EQ(Driver.HwPacketFilter(A), 0u) << "the old hardware filter is back";
  EXPECT_EQ(Driver.HwPacketFilter(B), 0u);
}

TEST_F(Bridge, BroadcastReachesTheHostAndTheOtherSegmentMulticastOnlyTheOther) {
  StartBridge(0);
  Driver.ReceiveFromWire(A, FrameBetween({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, kHostBehindA, 1));
  Driver.ReceiveFromWire(A, FrameBetween({0x01, 0x00, 0x5E, 0, 0, 1}, kHostBehindA, 2));
  ASSERT_TRUE(WaitUntil([&] { return Driver.SentToWireCount(B) == 2; }));
  EXPECT_EQ(Driver.DeliveredToStackCount(A), 1u);
  EXPECT_EQ(SequenceOf(Driver.TakeDeliveredToStack(A)[0]), 1u);
}

TEST_F(Bridge, HostTrafficIsEmulatedAsOnANormalAdapterAndDroppedFramesNeverCross) {
  Model.BlockingEnabled = true;
  Model.PortList = "9";
  StartBridge(0);
  Driver.ReceiveFromWire(A, FrameBetween(kMacA, kHostBehindA, 1));   // for this host
  Driver.SendFromStack(A, FrameBetween(kHostBehindA, kMacA, 2));     // from this host
  Driver.ReceiveFromWire(A, FrameBetween(kHostBehindB, kHostBehindA, 3));  // forwarded, port 9 blocked
  ASSERT_TRUE(WaitUntil([&] { return Engine.Counters().DroppedIn + Engine.Counters().DroppedOut == 3; }));
  EXPECT_EQ(Driver.SentToWireCount(B), 0u);
  Model.BlockingEnabled = false;
  ApplySettings(Engine, TSettingsPart::spBlocking, Model);
  Driver.ReceiveFromWire(A, FrameBetween(kMacA, kHostBehindA, 4));
  Driver.SendFromStack(A, FrameBetween(kHostBehindA, kMacA, 5));
  ASSERT_TRUE(WaitUntil([&] { return Driver.DeliveredToStackCount(A) == 1 && Driver.SentToWireCount(A) == 1; }));
  EXPECT_EQ(Driver.SentToWireCount(B), 0u);
}

TEST_F(Bridge, EitherLostAdapterEndsTheBridge) {
  for (bool loseA : {true, false}) {
    SCOPED_TRACE(loseA ? "A lost" : "B lost");
    Sink.Messages.clear();
    StartBridge(0);
    Driver.SetFaults(loseA ? A : B, TLabFaults{.Lost = true});
    ASSERT_TRUE(WaitUntil([&] {
      Errors.ServePending();
      return Run.AdapterLost() && !Sink.Messages.empty();
    }));
    EXPECT_EQ(Sink.Messages[0].rfind("Error occured in TBridgeProcess.TBridgeThread: The network adapter lab", 0), 0u);
    Run.Stop();
    Driver.SetFaults(loseA ? A : B, TLabFaults{});
  }
}

TEST_F(Bridge, JumboFramesCrossTheBridgeWholeAndAreCounted) {
  Model.LossEnabled = true;
  Model.LossPosition = 1000;  // nothing that the engine emulates crosses
  StartBridge(0);
  auto jumbo = UdpFrame(9014, 7);
  std::copy(kHostBehindB.begin(), kHostBehindB.end(), jumbo.begin());
  std::copy(kHostBehindA.begin(), kHostBehindA.end(), jumbo.begin() + 6);
  Driver.ReceiveFromWire(A, jumbo);
  Driver.ReceiveFromWire(A, FrameBetween(kHostBehindB, kHostBehindA, 8));
  ASSERT_TRUE(WaitUntil([&] { return Engine.Counters().DroppedIn == 1 && Driver.SentToWireCount(B) == 1; }));
  const auto sent = Driver.TakeSentToWire(B);
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].Bytes, jumbo);
  EXPECT_EQ(Engine.Counters().OversizedIn, 1u);
  EXPECT_EQ(Driver.DeliveredToStackCount(A), 0u);
}

}  // namespace
