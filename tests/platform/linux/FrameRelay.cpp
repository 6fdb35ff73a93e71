#include "tests/platform/linux/FrameRelay.h"

#include <net/if.h>
#include <unistd.h>

#include <chrono>
#include <deque>
#include <stdexcept>
#include <vector>

#include "platform/linux/LinuxDriver.h"

namespace {
using TClock = std::chrono::steady_clock;
struct THeldFrame {
  TClock::time_point Due;
  TFrameBuffer Buffer;
};
}  // namespace

TFrameRelay::TFrameRelay(IPacketDriver& driver, TAdapterHandle adapter, int holdMs)
    : FDriver(driver), FAdapter(adapter), FHoldMs(holdMs) {
  if (!FDriver.SetPacketEvent(adapter, &FEvent)) throw std::runtime_error("SetPacketEvent failed");
  if (!FDriver.SetAdapterMode({adapter, kModeIntercept})) {
    FDriver.SetPacketEvent(adapter, nullptr);
    throw std::runtime_error("SetAdapterMode failed");
  }
  FThread = std::thread([this] { Run(); });
}

TFrameRelay::~TFrameRelay() {
  FStop = true;
  FThread.join();
  FDriver.SetAdapterMode({FAdapter, kModeRelease});
  FDriver.FlushAdapterPacketQueue(FAdapter);
  FDriver.SetPacketEvent(FAdapter, nullptr);
}

void TFrameRelay::Run() {
  std::deque<THeldFrame> held;
  auto deliver = [this](TFrameBuffer& buffer) {
    TFrameRequest request{FAdapter, &buffer};
    if (buffer.DeviceFlags == kPacketFlagOutgoing) FDriver.SendPacketToAdapter(request);
    else FDriver.SendPacketToMstcp(request);
  };
  while (!FStop) {
    FEvent.Wait(held.empty() ? 50 : 1);
    THeldFrame frame{};
    TFrameRequest request{FAdapter, &frame.Buffer};
    bool read = false;
    try {
      read = FDriver.ReadPacket(request);
    } catch (const EAdapterLost&) {
      FLost = true;
      return;
    }
    for (; read; read = FDriver.ReadPacket(request)) {
      (frame.Buffer.DeviceFlags == kPacketFlagIncoming ? FIncoming : FOutgoing)++;
      frame.Due = TClock::now() + std::chrono::milliseconds(FHoldMs);
      // A frame longer than the buffer can only go on before the next read.
      if (IsOversizedFrame(frame.Buffer)) ++FOversized;
      if (FHoldMs == 0 || IsOversizedFrame(frame.Buffer)) deliver(frame.Buffer);
      else held.push_back(frame);
    }
    while (!held.empty() && held.front().Due <= TClock::now()) {
      deliver(held.front().Buffer);
      held.pop_front();
    }
  }
}

std::function<void(const TChildProcess::TReport&)> HoldAdapter(TAttachKind kind, const std::string& device) {
  return [kind, device](const TChildProcess::TReport& report) {
    TLinuxDriver driver(kind);
    TFrameRelay relay(driver, ::if_nametoindex(device.c_str()));
    report("ready");
    for (;;) ::pause();
  };
}
