#include "platform/linux/helper/HelperService.h"

#include <bpf/libbpf.h>
#include <fcntl.h>
#include <unistd.h>

#include <stdexcept>
#include <string>

#include "platform/linux/BpfProgram.h"
#include "platform/linux/InterceptionParts.h"
#include "platform/linux/InterceptionTag.h"
#include "platform/linux/LinkTable.h"
#include "platform/linux/NeighbourResolution.h"
#include "platform/linux/PacketSocket.h"
#include "platform/linux/TcpTermination.h"
#include "platform/linux/helper/HelperCapabilities.h"

namespace {

THelperAttach AttachOf(TAttachKind kind) { return kind == TAttachKind::Tcx ? THelperAttach::Tcx : THelperAttach::ClsBpf; }

TFileDescriptor Duplicate(int fd) { return TFileDescriptor(::fcntl(fd, F_DUPFD_CLOEXEC, 0), "duplicating a descriptor"); }

void RemoveFilters(std::vector<TTcAttachment>& hooks) {
  while (!hooks.empty()) hooks.pop_back();
}

}  // namespace

void CheckAdapter(uint32_t adapterIndex) {
  for (const TLinkInfo& link : ReadLinkTable()) {
    if (link.Index != adapterIndex) continue;
    if (IsInterceptionDevice(link))
      throw std::runtime_error("The device " + link.Name + " belongs to an interception and cannot be intercepted itself");
    return;
  }
  throw std::runtime_error("No network adapter has index " + std::to_string(adapterIndex) +
                           " in the program's network namespace");
}

THelperService::THelperService(pid_t owner) : FOwner(owner) {
  // Our messages say what failed; libbpf's own lines would only repeat them.
  libbpf_set_print(nullptr);
}

THelperService::~THelperService() {
  TEffectiveCapabilities capabilities(kCapNetAdmin);
  while (!FWatched.empty()) {
    RemoveFilters(FWatched.begin()->second);
    FWatched.erase(FWatched.begin());
  }
}

THelperReply THelperService::Handle(const THelperRequest& request) {
  try {
    switch (request.Kind) {
      case THelperRequestKind::Hello:
        return Hello();
      case THelperRequestKind::Intercept:
        return Intercept(request);
      case THelperRequestKind::OpenPort:
        return OpenPort(request);
      case THelperRequestKind::Release:
        return Release(request);
      case THelperRequestKind::TerminateTcp:
        return TerminateTcp(request);
      case THelperRequestKind::ResolveNeighbour:
        return ResolveNeighbour(request);
    }
    throw std::logic_error("unknown request");
  } catch (const std::exception& error) {
    THelperReply reply;
    reply.Answer.Kind = request.Kind;
    reply.Answer.Error = error.what();
    if (reply.Answer.Error.empty()) reply.Answer.Error = "the helper failed";
    return reply;
  }
}

THelperReply THelperService::Hello() {
  // Capabilities do not open device files: the user needs access to it.
  if (::access("/dev/net/tun", R_OK | W_OK) != 0)
    throw std::runtime_error("The TUN/TAP device /dev/net/tun is missing or not accessible to this user");
  TEffectiveCapabilities capabilities(kCapBpf | kCapNetAdmin);
  try {
    TSelectionMaps scratch;
    LoadStealProgram(1, TTcAttachPoint::Ingress, false, scratch);
  } catch (const std::exception& error) {
    throw std::runtime_error(std::string("The kernel refused to load the packet programs (") + error.what() + ")");
  }
  FKernelKind = KernelHasTcx() ? TAttachKind::Tcx : TAttachKind::ClsBpf;
  THelperReply reply;
  reply.Answer = {THelperRequestKind::Hello, true, AttachOf(FKernelKind), 0, {}};
  return reply;
}

THelperReply THelperService::Intercept(const THelperRequest& request) {
  TEffectiveCapabilities capabilities(kHelperCapabilities);
  CheckAdapter(request.Adapter);
  // Filters this service still keeps for the adapter belong to an
  // interception that was never released: the program holds it still.
  if (FWatched.count(request.Adapter) != 0) throw std::runtime_error("The adapter is already intercepted");
  TAttachKind kind = FKernelKind;
  if (request.Attach == THelperAttach::ClsBpf) kind = TAttachKind::ClsBpf;
  if (request.Attach == THelperAttach::Tcx) kind = TAttachKind::Tcx;
  TInterceptionParts parts =
      OpenInterceptionParts(request.Adapter, request.QueueFlags, kind, static_cast<int32_t>(FOwner));
  THelperReply reply;
  reply.Fds.push_back(Duplicate(parts.In.Fd()));
  reply.Fds.push_back(Duplicate(parts.Out.Fd()));
  reply.Fds.push_back(Duplicate(parts.InRing.Get()));
  reply.Fds.push_back(Duplicate(parts.OutRing.Get()));
  reply.Fds.push_back(Duplicate(parts.StackPort.Get()));
  // The program writes the rule into these itself, without privileges.
  for (int map : {parts.Maps.RuleFd(), parts.Maps.AddressesFd(), parts.Maps.PassedFd()})
    reply.Fds.push_back(Duplicate(map));
  if (kind == TAttachKind::Tcx) {
    for (const TTcAttachment& hook : parts.Hooks) reply.Fds.push_back(Duplicate(hook.LinkFd()));
  } else {
    // The filters outlive every descriptor; this service removes them.
    FWatched[request.Adapter] = std::move(parts.Hooks);
    parts.Hooks.clear();
  }
  reply.Answer = {THelperRequestKind::Intercept, true, AttachOf(kind), static_cast<uint8_t>(reply.Fds.size()), {}};
  return reply;
}

THelperReply THelperService::OpenPort(const THelperRequest& request) {
  TEffectiveCapabilities capabilities(kCapNetAdmin | kCapNetRaw);
  CheckAdapter(request.Adapter);
  TPacketSocket port(request.Adapter, kReinjectMark);
  THelperReply reply;
  reply.Fds.push_back(Duplicate(port.Fd()));
  reply.Answer = {THelperRequestKind::OpenPort, true, THelperAttach::Auto, 1, {}};
  return reply;
}

THelperReply THelperService::Release(const THelperRequest& request) {
  TEffectiveCapabilities capabilities(kCapNetAdmin);
  auto found = FWatched.find(request.Adapter);
  if (found != FWatched.end()) {
    RemoveFilters(found->second);
    FWatched.erase(found);
  }
  THelperReply reply;
  reply.Answer = {THelperRequestKind::Release, true, THelperAttach::Auto, 0, {}};
  return reply;
}

THelperReply THelperService::TerminateTcp(const THelperRequest& request) {
  TEffectiveCapabilities capabilities(kCapNetAdmin);
  DestroyTcpConnection({request.LocalAddress, request.LocalPort, request.RemoteAddress, request.RemotePort});
  THelperReply reply;
  reply.Answer = {THelperRequestKind::TerminateTcp, true, THelperAttach::Auto, 0, {}};
  return reply;
}

THelperReply THelperService::ResolveNeighbour(const THelperRequest& request) {
  TEffectiveCapabilities capabilities(kCapNetAdmin);
  CheckAdapter(request.Adapter);
  StartNeighbourResolution(request.Adapter, request.Neighbour);
  THelperReply reply;
  reply.Answer = {THelperRequestKind::ResolveNeighbour, true, THelperAttach::Auto, 0, {}};
  return reply;
}
