#pragma once
// The packet driver a run uses: "linux" intercepts the machine's real
// adapters; "lab" builds in-process adapters ("lab0" with steady traffic in
// both directions, "lab1" without) for demonstrations and machines without
// the privileges to intercept.

#include <memory>
#include <string>

#include "app/LabTraffic.h"
#include "engine/EngineClock.h"
#include "engine/PacketDriver.h"

struct TDriverSession {
  std::unique_ptr<IPacketDriver> Driver;
  std::unique_ptr<TLabTraffic> Traffic;  // lab only; stops before the driver goes
  ~TDriverSession() { Traffic.reset(); }
};

// Lab frames per second and direction: enough to see every impairment work,
// little enough to cost nothing.
constexpr uint32_t kLabFramesPerSecond = 50;

// nullptr with the reason in whyNot when the driver cannot be opened.
std::unique_ptr<TDriverSession> OpenDriverSession(const std::string& kind, const IEngineClock& clock,
                                                  std::string& whyNot);

// The Linux driver for listing the adapters only: it needs no privileges,
// and intercepts nothing.
std::unique_ptr<TDriverSession> OpenLinuxAdapterListSession();
