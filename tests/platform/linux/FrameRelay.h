#pragma once
// A stand-in for the engine at driver level: intercepts one adapter, reads
// every frame and puts it back on its natural side, optionally after holding
// it for a fixed time.
#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

#include "engine/Event.h"
#include "engine/PacketDriver.h"
#include "platform/linux/TcAttachment.h"
#include "tests/platform/linux/ChildProcess.h"

class TFrameRelay {
 public:
  TFrameRelay(IPacketDriver& driver, TAdapterHandle adapter, int holdMs = 0);
  ~TFrameRelay();

  uint64_t Incoming() const { return FIncoming.load(); }
  uint64_t Outgoing() const { return FOutgoing.load(); }
  // Frames longer than the frame buffer, passed on at once.
  uint64_t Oversized() const { return FOversized.load(); }
  // The adapter went away; the relay has stopped.
  bool Lost() const { return FLost.load(); }

 private:
  void Run();

  IPacketDriver& FDriver;
  TAdapterHandle FAdapter;
  int FHoldMs;
  TAutoResetEvent FEvent;
  std::atomic<bool> FStop{false};
  std::atomic<uint64_t> FIncoming{0};
  std::atomic<uint64_t> FOutgoing{0};
  std::atomic<uint64_t> FOversized{0};
  std::atomic<bool> FLost{false};
  std::thread FThread;
};

// The body of another instance of the program in a child process: it
// intercepts the device with its own driver, reports "ready" and relays
// frames until it is killed.
std::function<void(const TChildProcess::TReport&)> HoldAdapter(TAttachKind kind, const std::string& device = "h0");
