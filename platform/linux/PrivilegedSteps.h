#pragma once
// Who takes the privileged steps outside interceptions for this process:
// cutting a TCP connection and starting a neighbour resolution. By default
// the process itself (root); a driver that talks to the helper hands them
// to it for as long as the helper runs.
#include <cstdint>
#include <memory>

#include "platform/linux/TcpTermination.h"

class IPrivilegedSteps {
 public:
  virtual ~IPrivilegedSteps() = default;
  virtual void TerminateTcp(const TTcpConnection& connection) = 0;
  virtual void ResolveNeighbour(uint32_t interfaceIndex, uint32_t address) = 0;
};

// Held weakly: once the steps are gone, the process takes none itself (it
// has no privileges) and says so. nullptr returns to this process.
void SetPrivilegedSteps(const std::shared_ptr<IPrivilegedSteps>& steps);

// Through whoever takes the steps; throw with a line for the user.
void TerminateTcpConnection(const TTcpConnection& connection);
void ResolveNeighbour(uint32_t interfaceIndex, uint32_t address);
