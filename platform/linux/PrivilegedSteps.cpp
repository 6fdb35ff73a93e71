#include "platform/linux/PrivilegedSteps.h"

#include <mutex>
#include <stdexcept>

#include "platform/linux/NeighbourResolution.h"

namespace {

struct TRegistry {
  std::mutex Mutex;
  bool Delegated = false;
  std::weak_ptr<IPrivilegedSteps> Steps;
};

TRegistry& Registry() {
  static TRegistry registry;
  return registry;
}

// nullptr when this process takes the steps itself.
std::shared_ptr<IPrivilegedSteps> Delegate() {
  TRegistry& registry = Registry();
  std::lock_guard guard(registry.Mutex);
  if (!registry.Delegated) return nullptr;
  std::shared_ptr<IPrivilegedSteps> steps = registry.Steps.lock();
  if (!steps) throw std::runtime_error("The interception helper is not running");
  return steps;
}

}  // namespace

void SetPrivilegedSteps(const std::shared_ptr<IPrivilegedSteps>& steps) {
  TRegistry& registry = Registry();
  std::lock_guard guard(registry.Mutex);
  registry.Delegated = steps != nullptr;
  registry.Steps = steps;
}

void TerminateTcpConnection(const TTcpConnection& connection) {
  if (auto steps = Delegate()) return steps->TerminateTcp(connection);
  DestroyTcpConnection(connection);
}

void ResolveNeighbour(uint32_t interfaceIndex, uint32_t address) {
  if (auto steps = Delegate()) return steps->ResolveNeighbour(interfaceIndex, address);
  StartNeighbourResolution(interfaceIndex, address);
}
