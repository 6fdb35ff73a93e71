#pragma once
// The program's side of the interception helper: it starts the helper as a
// child with one end of a socket pair on the helper's descriptor 3, and asks
// it for what needs capabilities. Requests from several threads take turns.
// The helper ends when this side closes, also when the process is killed.
#include <sys/types.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "common/FileDescriptor.h"
#include "platform/linux/InterceptionSource.h"
#include "platform/linux/PrivilegedSteps.h"
#include "platform/linux/helper/HelperProtocol.h"

inline constexpr char kHelperGroup[] = "ovelda-tarnwick";

// Where the helper of this program is: ../libexec/ovelda-tarnwick/ next to
// the executable's folder, in an installed tree as in the build tree.
std::string HelperPathFor(const std::string& executable);

class THelperClient final : public IPrivilegedSteps {
 public:
  // Starts the helper and checks that it can work. Throws with one line for
  // the user: no helper, not allowed to run it (not in its group), or a
  // helper without its capabilities.
  explicit THelperClient(const std::string& path);
  ~THelperClient() override;
  THelperClient(const THelperClient&) = delete;
  THelperClient& operator=(const THelperClient&) = delete;

  // The hooks the helper uses where the request does not say.
  THelperAttach KernelAttach() const { return FKernelAttach; }
  pid_t Process() const { return FChild; }

  // Sends the request and waits for the answer; throws with the helper's
  // line when it refuses, or when the helper is gone. fds receives the
  // descriptors that came with the answer.
  THelperAnswer Ask(const THelperRequest& request, std::vector<TFileDescriptor>& fds);

  void TerminateTcp(const TTcpConnection& connection) override;
  void ResolveNeighbour(uint32_t interfaceIndex, uint32_t address) override;

 private:
  std::mutex FMutex;
  TFileDescriptor FSocket;
  pid_t FChild = -1;
  THelperAttach FKernelAttach = THelperAttach::Tcx;
};

// Interceptions and packet sockets from the helper.
class THelperInterceptionSource final : public IInterceptionSource {
 public:
  THelperInterceptionSource(std::shared_ptr<THelperClient> client, THelperAttach attach)
      : FClient(std::move(client)), FAttach(attach) {}
  TInterceptionParts Intercept(uint32_t adapterIndex, uint32_t queueFlags) override;
  std::unique_ptr<TPacketSocket> OpenPort(uint32_t adapterIndex) override;

 private:
  std::shared_ptr<THelperClient> FClient;
  THelperAttach FAttach;
};
