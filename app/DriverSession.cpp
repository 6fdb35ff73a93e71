#include "app/DriverSession.h"

#include "platform/LabDriver.h"
#include "platform/linux/LinuxDriver.h"

namespace {

std::unique_ptr<TDriverSession> OpenLab(const IEngineClock& clock) {
  auto session = std::make_unique<TDriverSession>();
  auto lab = std::make_unique<TLabDriver>(clock);
  // Frames leave the lab adapters only to be counted: nothing collects them.
  lab->SetCollectFrames(false);
  const TAdapterHandle busy = lab->AddAdapter("lab0", {0x02, 0, 0, 0, 0, 0x01}, "lab adapter with traffic");
  lab->AddAdapter("lab1", {0x02, 0, 0, 0, 0, 0x02}, "idle lab adapter");
  session->Traffic = std::make_unique<TLabTraffic>(*lab, busy, kLabFramesPerSecond);
  session->Driver = std::move(lab);
  return session;
}

}  // namespace

std::unique_ptr<TDriverSession> OpenDriverSession(const std::string& kind, const IEngineClock& clock,
                                                  std::string& whyNot) {
  if (kind == "lab") return OpenLab(clock);
  if (kind == "linux") {
    std::unique_ptr<IPacketDriver> driver = OpenLinuxFilterDriver(whyNot);
    if (!driver) return nullptr;
    auto session = std::make_unique<TDriverSession>();
    session->Driver = std::move(driver);
    return session;
  }
  whyNot = "Unknown driver \"" + kind + "\" (use lab or linux)";
  return nullptr;
}

std::unique_ptr<TDriverSession> OpenLinuxAdapterListSession() {
  auto session = std::make_unique<TDriverSession>();
  session->Driver = OpenLinuxAdapterList();
  return session;
}
