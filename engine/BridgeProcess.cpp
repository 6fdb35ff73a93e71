#include "engine/BridgeProcess.h"

#include <cstring>

namespace {

bool MacEquals(const uint8_t* frameMac, const TMacAddress& mac) { return std::memcmp(frameMac, mac.data(), 6) == 0; }

bool IsBroadcastMac(const uint8_t* frameMac) {
  static constexpr TMacAddress kBroadcast{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  return MacEquals(frameMac, kBroadcast);
}

}  // namespace

void TBridgeProcess::TBridgeThread::Execute() {
  TAdapterInterception interception(FEngine.Driver, FOwn.Adapter);
  interception.RegisterEvent(FEvent);
  interception.MakePromiscuous();
  interception.Intercept();
  TFrameBuffer buffer{};
  TFrameRequest request{FOwn.Adapter, &buffer};
  ReadFramesUntilTerminated(*this, FEngine.Driver, FEvent, request, [&] {
    request.Adapter = FOwn.Adapter;
    HandleFrame(request);
  });
}

void TBridgeProcess::TBridgeThread::HandleFrame(TFrameRequest& request) {
  TFrameBuffer& frame = *request.Buffer;
  const uint8_t* destination = frame.Data;
  const uint8_t* source = frame.Data + 6;
  const bool incoming = frame.DeviceFlags == kPacketFlagIncoming;
  // The host's own traffic on this adapter is emulated as on a normal adapter.
  if ((incoming && MacEquals(destination, FOwn.Mac)) || (!incoming && MacEquals(source, FOwn.Mac))) {
    FEngine.DispatchFrame(*this, request, TReinjectMode::rmNatural);
    return;
  }
  if (incoming) {
    // A broadcast is for this host too: its stack gets it unchanged, and the
    // other segment gets it through the engine like any forwarded frame.
    if (IsBroadcastMac(destination)) FEngine.ReinjectFrame(request, TReinjectMode::rmNatural);
    Forward(request);
    return;
  }
  // Sent by the local stack with another source address: not ours to bridge.
  FEngine.ReinjectFrame(request, TReinjectMode::rmNatural);
}

void TBridgeProcess::TBridgeThread::Forward(TFrameRequest& request) {
  TFrameRequest forward{FPeer, request.Buffer};
  forward.Buffer->PacketFlags += kPacketFlagNoLoopback;
  if (FEmulatedAdapter == FOwn.Adapter) {
    FEngine.DispatchFrame(*this, forward, TReinjectMode::rmToAdapter);
  } else if (FEmulatedAdapter == FPeer) {
    forward.Buffer->DeviceFlags = kPacketFlagOutgoing;
    FEngine.DispatchFrame(*this, forward, TReinjectMode::rmToAdapter);
  }
}

TBridgeProcess::TBridgeProcess(TEngine& engine, ITimerFactory& timers, TErrorChannel& errors, TBridgeEnd a,
                               TAdapterHandle selected, TBridgeEnd b)
    : TProcess(engine, timers, errors) {
  FThreadA = std::make_unique<TBridgeThread>(engine, selected, errors, a, b.Adapter);
  FThreadA->Start();
  FThreadB = std::make_unique<TBridgeThread>(engine, selected, errors, b, a.Adapter);
  FThreadB->Start();
}

TBridgeProcess::~TBridgeProcess() {
  FThreadA.reset();
  FThreadB.reset();
}
