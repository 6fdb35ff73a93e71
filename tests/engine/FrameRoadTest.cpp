// DispatchFrame and the road of one frame: which frames pass untouched, which
// are dropped, counted, captured, notified and delivered where.

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <thread>

#include "capture/LibpcapWriter.h"
#include "tests/engine/EngineFixture.h"

namespace {

using FrameRoad = EngineFixture;

TEST_F(FrameRoad, DirectionNotEmulatedPassesUntouched) {
  Model.Direction = 0;  // incoming only
  Model.LossEnabled = true;
  Model.LossPosition = 1000;
  Apply(TSettingsPart::spAll);
  Dispatch(UdpFrame(100), /*incoming=*/false);
  Dispatch(UdpFrame(100), /*incoming=*/true);
  EXPECT_EQ(Sent().size(), 1u) << "the outgoing frame passes, not emulated";
  EXPECT_EQ(Delivered().size(), 0u) << "the incoming frame is lost";
  const TEngineCounters c = Engine.Counters();
  EXPECT_EQ(c.FramesOut, 0u);
  EXPECT_EQ(c.FramesIn, 1u);
  EXPECT_EQ(c.DroppedIn, 1u);
}

TEST_F(FrameRoad, DeliveryGoesToTheNaturalSideAndIsCounted) {
  Dispatch(UdpFrame(100), false);
  Dispatch(UdpFrame(200), true);
  EXPECT_EQ(Sent().size(), 1u);
  EXPECT_EQ(Delivered().size(), 1u);
  const TEngineCounters c = Engine.Counters();
  EXPECT_EQ(c.SentOut, 1u);
  EXPECT_EQ(c.BytesOut, 100u);
  EXPECT_EQ(c.SentIn, 1u);
  EXPECT_EQ(c.BytesIn, 200u);
  EXPECT_EQ(Engine.TickBytes.In.exchange(0), 200u);
  EXPECT_EQ(Engine.TickBytes.Out.exchange(0), 100u);
}

TEST_F(FrameRoad, FilterThatSelectsNothingLeavesFramesUncounted) {
  {
    TLockGuard lock(Engine.Locks.SettingsLock);
    Engine.Settings.Filter.Enabled = true;
    Engine.Settings.Filter.Protocol = 16;  // ARP only
  }
  Dispatch(UdpFrame(100), false);
  EXPECT_EQ(Sent().size(), 1u);
  EXPECT_EQ(Engine.Counters().FramesOut, 0u);
  EXPECT_TRUE(Effects().empty());
}

TEST_F(FrameRoad, BlockedPortIsDroppedButCapturedBefore) {
  const std::string path = testing::TempDir() + "/blocked-" + std::to_string(getpid()) + ".pcap";
  Model.BlockingEnabled = true;
  Model.PortList = "t80, u53";
  Apply(TSettingsPart::spAll);
  {
    TLibpcapWriter before(path, 0);
    Engine.BeforeWriter = &before;
    Dispatch(UdpFrame(100, 0, 53), false);
    Dispatch(UdpFrame(100, 0, 54), false);
    Engine.BeforeWriter = nullptr;
  }
  EXPECT_EQ(Sent().size(), 1u);
  EXPECT_EQ(Engine.Counters().DroppedOut, 1u);
  EXPECT_EQ(std::filesystem::file_size(path), 24u + 2 * (16 + 100)) << "both frames are in the before file";
  std::filesystem::remove(path);
}

TEST_F(FrameRoad, EffectsOfOneFrameComeInOrder) {
  Model.CorruptionEnabled = true;
  Model.CorruptionPosition = 1000;
  Model.DuplicationEnabled = true;
  Model.DuplicationPosition = 1000;
  Apply(TSettingsPart::spAll);
  Dispatch(UdpFrame(100), false);
  const auto effects = Effects();
  ASSERT_EQ(effects.size(), 3u);
  EXPECT_EQ(effects[0].Message, WM_EFFECT_FRAME);
  EXPECT_EQ(effects[1].Message, WM_EFFECT_CORRUPTION);
  EXPECT_EQ(effects[2].Message, WM_EFFECT_DUPLICATION);
  const auto sent = Sent();
  ASSERT_EQ(sent.size(), 2u) << "a duplicated frame leaves twice";
  EXPECT_EQ(sent[0].Bytes, sent[1].Bytes);
  EXPECT_NE(sent[0].Bytes, UdpFrame(100)) << "and it is the corrupted frame both times";
  const TEngineCounters c = Engine.Counters();
  EXPECT_EQ(c.SentOut, 2u);
  EXPECT_EQ(c.CorruptedOut, 1u);
  EXPECT_EQ(c.DuplicatedOut, 1u);
}

TEST_F(FrameRoad, LostFrameNotifiesLossAlone) {
  Model.LossEnabled = true;
  Model.LossPosition = 1000;
  Model.CorruptionEnabled = true;
  Model.CorruptionPosition = 1000;
  Apply(TSettingsPart::spAll);
  Dispatch(UdpFrame(100), true);
  const auto effects = Effects();
  ASSERT_EQ(effects.size(), 2u);
  EXPECT_EQ(effects[1].Message, WM_EFFECT_LOSS);
  EXPECT_EQ(Engine.Counters().CorruptedIn, 0u);
}

TEST_F(FrameRoad, ReorderedFramesLeaveAfterLaterOnes) {
  Model.ReorderingEnabled = true;
  Model.ReorderingPosition = 1000;  // every frame is held
  Model.ReorderingGap = 1;
  Apply(TSettingsPart::spAll);
  Dispatch(UdpFrame(100, 1), false);
  EXPECT_TRUE(Sent().empty()) << "held";
  // Switching reordering off: the next delivery discards what is held.
  Model.ReorderingEnabled = false;
  Apply(TSettingsPart::spReordering);
  Dispatch(UdpFrame(100, 2), false);
  auto sent = Sent();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(SequenceOf(sent[0]), 2u);

  // Gap 1 with a share of one half: each held frame leaves right after the
  // next delivered frame of its direction.
  Model.ReorderingEnabled = true;
  Model.ReorderingPosition = 500;
  Apply(TSettingsPart::spReordering);
  for (uint32_t i = 10; i < 200; ++i) Dispatch(UdpFrame(100, i), false);
  sent = Sent();
  ASSERT_FALSE(sent.empty());
  uint32_t overtaken = 0;
  for (size_t i = 1; i < sent.size(); ++i) overtaken += SequenceOf(sent[i]) < SequenceOf(sent[i - 1]);
  EXPECT_GT(overtaken, 0u);
  const TEngineCounters c = Engine.Counters();
  EXPECT_EQ(c.SentOut, sent.size() + 1);
}

TEST_F(FrameRoad, HeldFramesAreBoundedByTheGap) {
  // A held share of one half is far above 1/Gap: without a bound the held
  // frames would pile up and never leave.
  Model.ReorderingEnabled = true;
  Model.ReorderingPosition = 500;
  Model.ReorderingGap = 10;
  Apply(TSettingsPart::spAll);
  const uint32_t frames = 2000;
  for (uint32_t i = 0; i < frames; ++i) Dispatch(UdpFrame(100, i), false);
  const auto sent = Sent();
  EXPECT_GE(sent.size(), frames - 10) << "at most Gap frames are still held";
  EXPECT_LT(sent.size(), frames) << "some frames are held at the end";
  std::set<uint32_t> seen;
  for (const auto& frame : sent) seen.insert(SequenceOf(frame));
  EXPECT_EQ(seen.size(), sent.size()) << "no frame leaves twice";
  const TEngineCounters c = Engine.Counters();
  EXPECT_EQ(c.SentOut, sent.size());
  EXPECT_LT(c.ReorderedOut, frames / 2) << "frames that found the queue full pass in order, not counted";
  EXPECT_GT(c.ReorderedOut, 0u);
}

TEST_F(FrameRoad, DuplicatedAndHeldFrameIsDeliveredOnceLater) {
  Model.DuplicationEnabled = true;
  Model.DuplicationType = 1;
  Model.DuplicationPosition = 1;  // every frame
  Model.ReorderingEnabled = true;
  Model.ReorderingPosition = 1000;
  Apply(TSettingsPart::spAll);
  Dispatch(UdpFrame(100, 1), false);
  EXPECT_TRUE(Sent().empty());
  const TEngineCounters c = Engine.Counters();
  EXPECT_EQ(c.DuplicatedOut, 1u);
  EXPECT_EQ(c.ReorderedOut, 1u);
}

TEST_F(FrameRoad, UnknownDeviceFlagIsReportedAndTheFrameDropped) {
  TFrameBuffer buffer{};
  buffer.Length = 60;
  buffer.DeviceFlags = 3;
  TFrameRequest request{Adapter, &buffer};
  Engine.DispatchFrame(Thread, request, TReinjectMode::rmNatural);
  ASSERT_EQ(Sink.Messages.size(), 1u);
  EXPECT_EQ(Sink.Messages[0].rfind("Error occured in TNormalProcess.TNormalThread: Unknown device flags received from the driver", 0), 0u)
      << Sink.Messages[0];
  EXPECT_TRUE(Sent().empty());
  // The locks are free again: the next frame goes through.
  Dispatch(UdpFrame(100), false);
  EXPECT_EQ(Sent().size(), 1u);
}

// Frames read from the driver as the interception thread reads them: a
// tagged full-size frame fits the buffer and meets the impairments; a jumbo
// frame does not fit, and goes on whole and untouched.
TEST_F(FrameRoad, TaggedFullSizeFramesAreEmulatedAndJumboFramesPassWhole) {
  Model.LossEnabled = true;
  Model.LossPosition = 1000;
  Apply(TSettingsPart::spAll);
  ASSERT_TRUE(Driver.SetAdapterMode({Adapter, kModeIntercept}));
  const auto tagged = frame_builder::TFrameBuilder()
                          .Ethernet(kPeerMac, kLocalMac)
                          .Vlan(100)
                          .IPv4("10.0.0.1", "10.0.0.2", frame_builder::kProtoUdp)
                          .Udp(4000, 9)
                          .Payload(1518 - 46, 0)
                          .Build();
  ASSERT_EQ(tagged.size(), 1518u);
  const std::vector<uint8_t> jumboIn = UdpFrame(9014, 1);
  const std::vector<uint8_t> jumboOut = UdpFrame(4000, 2);
  Driver.ReceiveFromWire(Adapter, tagged);
  Driver.ReceiveFromWire(Adapter, jumboIn);
  Driver.SendFromStack(Adapter, jumboOut);
  TFrameBuffer buffer{};
  TFrameRequest request{Adapter, &buffer};
  while (Driver.ReadPacket(request)) Engine.DispatchFrame(Thread, request, TReinjectMode::rmNatural);
  const TEngineCounters c = Engine.Counters();
  EXPECT_EQ(c.FramesIn, 1u) << "the tagged frame met the impairments";
  EXPECT_EQ(c.DroppedIn, 1u);
  EXPECT_EQ(c.FramesOut + c.DroppedOut, 0u);
  EXPECT_EQ(c.OversizedIn, 1u);
  EXPECT_EQ(c.OversizedOut, 1u);
  const auto delivered = Delivered();
  ASSERT_EQ(delivered.size(), 1u);
  EXPECT_EQ(delivered[0].Bytes, jumboIn);
  const auto sent = Sent();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].Bytes, jumboOut);
  // The rest of a jumbo frame is the reading thread's until it reads again;
  // nobody else can send it.
  Driver.ReceiveFromWire(Adapter, jumboIn);
  ASSERT_TRUE(Driver.ReadPacket(request));
  TFrameBuffer copy = buffer;
  TFrameRequest other{Adapter, &copy};
  bool sentElsewhere = true;
  std::thread([&] { sentElsewhere = Driver.SendPacketToMstcp(other); }).join();
  EXPECT_FALSE(sentElsewhere);
}

TEST_F(FrameRoad, BridgeModeSendsToTheAdapterAndKeepsTheDirectionForDuplicates) {
  Model.DuplicationEnabled = true;
  Model.DuplicationPosition = 1000;
  Apply(TSettingsPart::spAll);
  Dispatch(UdpFrame(100), /*incoming=*/true, TReinjectMode::rmToAdapter);
  const auto sent = Sent();
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0].DeviceFlags, kPacketFlagOutgoing);
  const TEngineCounters c = Engine.Counters();
  EXPECT_EQ(c.SentIn, 2u) << "both copies count in the frame's own direction";
  EXPECT_EQ(c.SentOut, 0u);
}

}  // namespace
