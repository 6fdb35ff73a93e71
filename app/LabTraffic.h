#pragma once
// Traffic for the lab adapters of headless runs and demonstrations: a thread
// that feeds one adapter with UDP frames in both directions at a steady
// rate, so that a simulation on it shows its counters moving. Outgoing frames
// go from 192.0.2.1:40000 to 198.51.100.1:5001; incoming ones come back the
// other way.

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/LabDriver.h"

constexpr uint16_t kLabTrafficLocalPort = 40000;
constexpr uint16_t kLabTrafficRemotePort = 5001;

// One frame of the lab traffic: Ethernet, IPv4 and UDP headers and a payload.
std::vector<uint8_t> BuildLabTrafficFrame(bool incoming, uint16_t sequence);

class TLabTraffic {
 public:
  // Starts feeding at once: framesPerSecond frames in each direction.
  TLabTraffic(TLabDriver& driver, TAdapterHandle adapter, uint32_t framesPerSecond);
  ~TLabTraffic();
  TLabTraffic(const TLabTraffic&) = delete;
  TLabTraffic& operator=(const TLabTraffic&) = delete;

 private:
  void Run();

  TLabDriver& FDriver;
  const TAdapterHandle FAdapter;
  const uint32_t FFramesPerSecond;
  std::mutex FMutex;
  std::condition_variable FWake;
  bool FStop = false;
  std::thread FThread;
};
