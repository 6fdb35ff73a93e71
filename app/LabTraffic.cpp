#include "app/LabTraffic.h"

#include <algorithm>
#include <chrono>

namespace {

constexpr uint8_t kLocalMac[6] = {0x02, 0x00, 0x00, 0x00, 0x00, 0x01};
constexpr uint8_t kRemoteMac[6] = {0x02, 0x00, 0x00, 0x00, 0x00, 0xFE};
constexpr uint8_t kLocalIp[4] = {192, 0, 2, 1};
constexpr uint8_t kRemoteIp[4] = {198, 51, 100, 1};
constexpr size_t kPayloadBytes = 172;

void Put16(std::vector<uint8_t>& f, size_t at, uint16_t v) {
  f[at] = static_cast<uint8_t>(v >> 8);
  f[at + 1] = static_cast<uint8_t>(v);
}

uint16_t HeaderChecksum(const std::vector<uint8_t>& f, size_t from, size_t length) {
  uint32_t sum = 0;
  for (size_t i = from; i < from + length; i += 2) sum += static_cast<uint32_t>(f[i] << 8 | f[i + 1]);
  while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
  return static_cast<uint16_t>(~sum);
}

}  // namespace

std::vector<uint8_t> BuildLabTrafficFrame(bool incoming, uint16_t sequence) {
  constexpr size_t kIp = 14, kUdp = kIp + 20, kData = kUdp + 8;
  std::vector<uint8_t> f(kData + kPayloadBytes, 0);
  const uint8_t* dstMac = incoming ? kLocalMac : kRemoteMac;
  const uint8_t* srcMac = incoming ? kRemoteMac : kLocalMac;
  std::copy_n(dstMac, 6, f.begin());
  std::copy_n(srcMac, 6, f.begin() + 6);
  Put16(f, 12, 0x0800);

  f[kIp] = 0x45;
  Put16(f, kIp + 2, static_cast<uint16_t>(f.size() - kIp));
  Put16(f, kIp + 4, sequence);
  f[kIp + 8] = 64;
  f[kIp + 9] = 17;  // UDP
  std::copy_n(incoming ? kRemoteIp : kLocalIp, 4, f.begin() + kIp + 12);
  std::copy_n(incoming ? kLocalIp : kRemoteIp, 4, f.begin() + kIp + 16);
  Put16(f, kIp + 10, HeaderChecksum(f, kIp, 20));

  Put16(f, kUdp, incoming ? kLabTrafficRemotePort : kLabTrafficLocalPort);
  Put16(f, kUdp + 2, incoming ? kLabTrafficLocalPort : kLabTrafficRemotePort);
  Put16(f, kUdp + 4, static_cast<uint16_t>(8 + kPayloadBytes));
  for (size_t i = 0; i < kPayloadBytes; ++i) f[kData + i] = static_cast<uint8_t>(sequence + i);
  return f;
}

TLabTraffic::TLabTraffic(TLabDriver& driver, TAdapterHandle adapter, uint32_t framesPerSecond)
    : FDriver(driver), FAdapter(adapter), FFramesPerSecond(framesPerSecond ? framesPerSecond : 1) {
  FThread = std::thread([this] { Run(); });
}

TLabTraffic::~TLabTraffic() {
  {
    std::lock_guard lock(FMutex);
    FStop = true;
  }
  FWake.notify_all();
  FThread.join();
}

void TLabTraffic::Run() {
  using Clock = std::chrono::steady_clock;
  const auto period = std::chrono::microseconds(1000000 / FFramesPerSecond);
  auto next = Clock::now();
  uint16_t sequence = 0;
  std::unique_lock lock(FMutex);
  while (!FStop) {
    lock.unlock();
    FDriver.SendFromStack(FAdapter, BuildLabTrafficFrame(false, sequence));
    FDriver.ReceiveFromWire(FAdapter, BuildLabTrafficFrame(true, sequence));
    ++sequence;
    lock.lock();
    // Steps on a fixed grid, so a late wake-up does not slow the rate down;
    // after a long stall the grid starts again from now instead of bursting.
    next += period;
    if (next < Clock::now() - std::chrono::seconds(1)) next = Clock::now();
    FWake.wait_until(lock, next, [this] { return FStop; });
  }
}
