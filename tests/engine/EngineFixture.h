#pragma once
// A whole engine on lab adapters with a clock the test drives, and no
// threads: the test calls the steps the threads would call.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/Engine.h"
#include "engine/ErrorChannel.h"
#include "engine/SettingsApply.h"
#include "engine/SimulatorThread.h"
#include "tests/engine/EngineTestDoubles.h"
#include "platform/LabDriver.h"
#include "tests/filter/FrameBuilder.h"

inline const frame_builder::TMac kLocalMac = {0x02, 0, 0, 0, 0, 0x01};
inline const frame_builder::TMac kPeerMac = {0x02, 0, 0, 0, 0, 0x02};

// A UDP frame of exactly `length` bytes (at least 42), with a sequence number
// in its first payload bytes so a test can tell frames apart.
inline std::vector<uint8_t> UdpFrame(uint32_t length, uint32_t sequence = 0, uint16_t destinationPort = 9) {
  auto frame = frame_builder::TFrameBuilder()
                   .Ethernet(kPeerMac, kLocalMac)
                   .IPv4("10.0.0.1", "10.0.0.2", frame_builder::kProtoUdp)
                   .Udp(4000, destinationPort)
                   .Payload(length - 42, 0)
                   .Build();
  for (int i = 0; i < 4; ++i) frame[42 + i] = static_cast<uint8_t>(sequence >> (8 * i));
  return frame;
}

inline uint32_t SequenceOf(const TLabFrame& frame) {
  uint32_t sequence = 0;
  for (int i = 0; i < 4; ++i) sequence |= static_cast<uint32_t>(frame.Bytes[42 + i]) << (8 * i);
  return sequence;
}

class EngineFixture : public ::testing::Test {
 protected:
  EngineFixture() {
    Adapter = Driver.AddAdapter("lab0", {0x02, 0, 0, 0, 0, 0x01});
    Errors.SetWakeOwner([this] { Errors.ServePending(); });
    Engine.LocalAddressSource = [] { return TIPAddrList(); };
    Engine.Effects.SetEnabled(true);
    Model.SetDefaults(0);
    Apply(TSettingsPart::spAll);
  }

  void Apply(TSettingsPart part) { ApplySettings(Engine, part, Model); }

  // One frame through DispatchFrame, as the interception thread hands it in.
  void Dispatch(const std::vector<uint8_t>& bytes, bool incoming = false,
                TReinjectMode mode = TReinjectMode::rmNatural) {
    TFrameBuffer buffer{};
    std::copy(bytes.begin(), bytes.end(), buffer.Data);
    buffer.Length = static_cast<uint32_t>(bytes.size());
    buffer.DeviceFlags = incoming ? kPacketFlagIncoming : kPacketFlagOutgoing;
    TFrameRequest request{Adapter, &buffer};
    Engine.DispatchFrame(Thread, request, mode);
  }

  std::vector<TLabFrame> Sent() { return Driver.TakeSentToWire(Adapter); }
  std::vector<TLabFrame> Delivered() { return Driver.TakeDeliveredToStack(Adapter); }

  std::vector<TEffectNotification> Effects() {
    std::vector<TEffectNotification> out;
    Engine.Effects.Drain(out);
    return out;
  }

  TFakeClock Clock;
  TLabDriver Driver{Clock};
  TAdapterHandle Adapter = 0;
  TCollectingSink Sink;
  TErrorChannel Errors{Sink};
  TEngine Engine{Driver, Clock, 42};
  TIdleThread Thread{Errors};
  TSettingsModel Model;
};
