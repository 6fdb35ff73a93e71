#pragma once
// In-process virtual adapters: a packet driver that tests, demonstrations and
// machines without privileges can run the whole engine on. A test feeds
// frames as if they came from the wire or from the local stack, and collects
// what the engine hands back, each with the time it left. An adapter that is
// not intercepted passes frames straight through, as a real one would.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <string>
#include <vector>

#include "engine/EngineClock.h"
#include "engine/PacketDriver.h"

struct TLabFrame {
  std::vector<uint8_t> Bytes;
  uint32_t DeviceFlags = 0;
  uint32_t PacketFlags = 0;
  uint64_t TimeMicroseconds = 0;  // on the driver's clock, when the frame left
};

// Driver calls a test can make fail, to see the engine's error handling.
struct TLabFaults {
  bool SetPacketEvent = false;
  bool SetAdapterMode = false;
  bool HwPacketFilter = false;
  // The adapter has gone away: reads throw EAdapterLost.
  bool Lost = false;
};

class TLabDriver : public IPacketDriver {
 public:
  explicit TLabDriver(const IEngineClock& clock) : FClock(clock) {}

  TAdapterHandle AddAdapter(const std::string& name, const TMacAddress& mac, const std::string& description = {},
                            uint16_t mtu = 1500, uint32_t medium = kMedium8023);

  // The adapter is unplugged: it leaves the adapter list, and its handle
  // names nothing from now on (one added again gets a new handle).
  void RemoveAdapter(TAdapterHandle adapter);

  // A frame arriving on the adapter from the network (device flag 2).
  void ReceiveFromWire(TAdapterHandle adapter, const std::vector<uint8_t>& frame);
  // A frame the local stack sends through the adapter (device flag 1).
  void SendFromStack(TAdapterHandle adapter, const std::vector<uint8_t>& frame);

  std::vector<TLabFrame> TakeSentToWire(TAdapterHandle adapter);
  std::vector<TLabFrame> TakeDeliveredToStack(TAdapterHandle adapter);
  uint64_t SentToWireCount(TAdapterHandle adapter);
  uint64_t DeliveredToStackCount(TAdapterHandle adapter);
  // Waits up to timeoutMs of real time until done() holds, waking whenever a
  // frame leaves; for tests that run the engine's threads. done() runs
  // without the driver's lock and may call the driver.
  bool WaitFor(const std::function<bool()>& done, int timeoutMs);

  // With collection off, re-injected frames are only counted (benchmarks).
  void SetCollectFrames(bool collect);
  void SetFaults(TAdapterHandle adapter, const TLabFaults& faults);
  bool Intercepting(TAdapterHandle adapter);
  bool HasPacketEvent(TAdapterHandle adapter);
  uint32_t HwPacketFilter(TAdapterHandle adapter);
  size_t WaitingFrames(TAdapterHandle adapter);

  bool IsDriverLoaded() const override { return true; }
  bool GetTcpipBoundAdaptersInfo(TTcpAdapterList& list) override;
  std::string ConvertWindows2000AdapterName(const TAdapterName& name) override;
  bool SetPacketEvent(TAdapterHandle adapter, TAutoResetEvent* event) override;
  bool SetAdapterMode(const TAdapterMode& mode) override;
  bool ReadPacket(TFrameRequest& request) override;
  bool SendPacketToAdapter(const TFrameRequest& request) override;
  bool SendPacketToMstcp(const TFrameRequest& request) override;
  bool FlushAdapterPacketQueue(TAdapterHandle adapter) override;
  bool GetHwPacketFilter(TAdapterHandle adapter, uint32_t& filter) override;
  bool SetHwPacketFilter(TAdapterHandle adapter, uint32_t filter) override;

 private:
  struct TQueuedFrame {
    std::vector<uint8_t> Bytes;
    uint32_t DeviceFlags;
  };
  struct TAdapter {
    std::string Name;
    std::string Description;
    TMacAddress Mac{};
    uint16_t Mtu = 1500;
    uint32_t Medium = kMedium8023;
    uint32_t Mode = kModeRelease;
    uint32_t HwFilter = 0;
    TAutoResetEvent* Event = nullptr;
    TLabFaults Faults;
    std::deque<TQueuedFrame> Waiting;
    std::vector<TLabFrame> ToWire, ToStack;
    uint64_t ToWireCount = 0, ToStackCount = 0;
    bool Removed = false;
  };

  TAdapter* Slot(TAdapterHandle adapter);  // under FMutex; also an unplugged one
  TAdapter* Find(TAdapterHandle adapter);  // under FMutex; a present one only
  void Feed(TAdapterHandle adapter, const std::vector<uint8_t>& frame, uint32_t deviceFlags);
  void Emit(TAdapter& adapter, bool toWire, const uint8_t* data, uint32_t length, uint32_t deviceFlags,
            uint32_t packetFlags);  // under FMutex
  // A re-injected frame, whole: for one longer than the buffer, the rest
  // that the sending thread's last read kept. False when there is none.
  bool EmitRequest(const TFrameRequest& request, bool toWire);  // under FMutex

  const IEngineClock& FClock;
  std::mutex FMutex;
  std::condition_variable FOutput;
  std::deque<TAdapter> FAdapters;  // handle = position + 1
  bool FCollect = true;
  // The rest of each thread's last frame longer than the frame buffer.
  std::map<std::thread::id, std::vector<uint8_t>> FTails;
};
