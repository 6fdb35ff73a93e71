// The engine on the Linux driver as a process of its own, for the benchmark
// script: it starts one simulation in the network namespace it runs in,
// prints "ready" once the adapters are intercepted, and stops cleanly on
// SIGTERM or SIGINT.
//   ot_netns_emulator --adapter NAME [--bridge A B] [--latency MS]
//                     [--rate BITS_PER_SECOND] [--direction in|out|both]
//                     [--udp-port PORT]
// --udp-port enables a filter rule that selects IPv4 UDP to or from PORT
// only; every other frame is the rule's to pass untouched.
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <thread>

#include "engine/SettingsApply.h"
#include "engine/Simulation.h"
#include "platform/MonotonicClock.h"
#include "platform/TimerFd.h"
#include "platform/linux/LinkTable.h"
#include "platform/linux/LinuxDriver.h"

namespace {

class TPrintingSink : public IErrorSink {
 public:
  void ShowError(const std::string& message) override { std::cerr << message << std::endl; }
};

int Usage() {
  std::cerr << "usage: ot_netns_emulator --adapter NAME [--bridge A B] [--latency MS] [--rate BPS]"
               " [--direction in|out|both] [--udp-port PORT]\n";
  return 2;
}

int Position(const TTcpAdapterList& adapters, const std::string& name) {
  for (uint32_t i = 0; i < adapters.AdapterCount; ++i)
    if (AdapterNameText(adapters.AdapterNameList[i]) == name) return static_cast<int>(i);
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  std::string adapter;
  int udpPort = -1;
  TSettingsModel model;
  model.SetDefaults(0);
  TSimulationRequest request;
  for (int i = 1; i < argc; ++i) {
    std::string option = argv[i];
    auto next = [&]() -> std::string { return i + 1 < argc ? argv[++i] : ""; };
    if (option == "--adapter") adapter = next();
    else if (option == "--bridge") {
      request.Bridge.Enabled = true;
      request.Bridge.AdapterA = MakeAdapterName(next());
      request.Bridge.AdapterB = MakeAdapterName(next());
    } else if (option == "--latency") {
      model.LatencyEnabled = true;
      model.DelayFrom = static_cast<uint32_t>(std::stoul(next()));
    } else if (option == "--rate") {
      const auto rate = static_cast<int32_t>(std::stoul(next()));
      model.SelectRate(TShapingRate("rate", rate, rate));
    } else if (option == "--udp-port") {
      udpPort = std::stoi(next());
    } else if (option == "--direction") {
      std::string direction = next();
      model.Direction = direction == "in" ? 0 : direction == "out" ? 1 : 2;
    } else {
      return Usage();
    }
  }
  if (adapter.empty()) return Usage();

  // Block the stop signals before any thread starts, so that only sigwait sees them.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGTERM);
  sigaddset(&stopSignals, SIGINT);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

  std::string whyNot;
  auto driver = OpenLinuxFilterDriver(whyNot);
  if (!driver) {
    std::cerr << "Unable to initialise the network driver. Please reboot the system or reinstall this application.\n"
              << whyNot << "\n";
    return 1;
  }
  TTcpAdapterList adapters;
  driver->GetTcpipBoundAdaptersInfo(adapters);
  request.AdapterIndex = Position(adapters, adapter);
  if (request.AdapterIndex < 0) {
    std::cerr << "no adapter " << adapter << "\n";
    return 1;
  }
  TMonotonicClock clock;
  TTimerFdFactory timers;
  TPrintingSink sink;
  TErrorChannel errors(sink);
  TEngine engine(*driver, clock, 1);
  engine.LocalAddressSource = [] {
    TIPAddrList local;
    local.GetLocal(true, true);
    return local;
  };
  if (udpPort >= 0) {
    TLockGuard lock(engine.Locks.SettingsLock);
    TFilterSettings& rule = engine.Settings.Filter;
    rule.Enabled = true;
    rule.Protocol = fpIPv4UDP;
    rule.Destination.PortType = ptSingle;
    rule.Destination.Ports = {static_cast<uint16_t>(udpPort)};
  }
  TSimulation simulation(engine, timers, errors);
  try {
    simulation.Start(adapters, request, [&] { ApplySettings(engine, TSettingsPart::spAll, model); });
  } catch (const std::exception& error) {
    std::cerr << error.what() << "\n";
    return 1;
  }
  // The interception threads take their adapters a moment after the start:
  // each intercepted adapter brings its "in" TAP.
  size_t expected = request.Bridge.Enabled ? 2 : 1;
  for (int i = 0; i < 500; ++i) {
    size_t taps = 0;
    for (const TLinkInfo& link : ReadLinkTable()) taps += link.Name.rfind("otin", 0) == 0;
    if (taps >= expected) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  std::cout << "ready" << std::endl;
  int signal = 0;
  sigwait(&stopSignals, &signal);
  simulation.Stop();
  errors.ServePending();
  return 0;
}
