#pragma once
// What the helper does for its program: it checks every request against the
// network namespace it shares with the program (the program starts it there), takes the privileged step
// with just the capabilities it needs, and returns descriptors. It keeps the
// cls_bpf filters it attached (they do not end with a descriptor) and removes
// them when asked, or when the service ends because the program has gone.
#include <sys/types.h>

#include <cstdint>
#include <map>
#include <vector>

#include "common/FileDescriptor.h"
#include "platform/linux/TcAttachment.h"
#include "platform/linux/helper/HelperProtocol.h"

struct THelperReply {
  THelperAnswer Answer;
  std::vector<TFileDescriptor> Fds;
};

class THelperService {
 public:
  // owner: the program's process, which the interceptions' tags name.
  explicit THelperService(pid_t owner);
  // Removes the filters it still keeps, the last attached first.
  ~THelperService();

  THelperReply Handle(const THelperRequest& request);
  // The adapters whose cls_bpf filters it keeps.
  size_t WatchedAdapters() const { return FWatched.size(); }

 private:
  THelperReply Hello();
  THelperReply Intercept(const THelperRequest& request);
  THelperReply OpenPort(const THelperRequest& request);
  THelperReply Release(const THelperRequest& request);
  THelperReply TerminateTcp(const THelperRequest& request);
  THelperReply ResolveNeighbour(const THelperRequest& request);

  pid_t FOwner;
  TAttachKind FKernelKind = TAttachKind::Tcx;
  std::map<uint32_t, std::vector<TTcAttachment>> FWatched;
};

// Throws with a line for the user unless the index names an adapter of this
// network namespace that may be intercepted: not one of our TAP devices.
void CheckAdapter(uint32_t adapterIndex);
