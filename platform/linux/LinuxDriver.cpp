#include "platform/linux/LinuxDriver.h"

#include <bpf/libbpf.h>
#include <net/if.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "platform/linux/AdapterList.h"
#include "platform/linux/AdapterText.h"
#include "platform/linux/BpfProgram.h"
#include "platform/linux/HookOwners.h"
#include "platform/linux/HelperClient.h"
#include "platform/linux/Interception.h"
#include "platform/linux/InterceptionSource.h"
#include "platform/linux/LinkTable.h"
#include "platform/linux/PacketEventSlot.h"
#include "platform/linux/PacketSocket.h"
#include "platform/linux/Privileges.h"
#include "platform/linux/PrivilegedSteps.h"
#include "platform/linux/SendBatch.h"

namespace {

// What an Ethernet adapter accepts without being asked for more: frames to
// its own address, multicast and broadcast.
constexpr uint32_t kHwFilterDirected = 0x01;
constexpr uint32_t kHwFilterMulticast = 0x02;
constexpr uint32_t kHwFilterBroadcast = 0x08;
constexpr uint32_t kHwFilterNormal = kHwFilterDirected | kHwFilterMulticast | kHwFilterBroadcast;

// The largest frame a TAP can hand over: a 64 KiB packet with its headers.
constexpr size_t kOverflowBytes = 1 << 17;

constexpr size_t kMinFrameLength = 14;

bool InterfaceExists(TAdapterHandle adapter) {
  char name[IF_NAMESIZE];
  return adapter != 0 && ::if_indextoname(adapter, name) != nullptr;
}

// The part of a frame beyond the frame buffer, kept for the thread that
// read it until its next read.
struct TOversizedTail {
  std::vector<uint8_t> Bytes = std::vector<uint8_t>(kOverflowBytes);
  size_t Length = 0;  // 0: the thread holds no such frame
};

TOversizedTail& ThreadTail() {
  thread_local TOversizedTail tail;
  return tail;
}

// The frames this thread sends to the wire while its send batch is open,
// one batch per packet socket. The batches stay allocated between wake-ups.
struct TThreadSends {
  const void* Driver = nullptr;  // whose batch is open; nullptr: none
  std::vector<std::pair<std::shared_ptr<TPacketSocket>, std::unique_ptr<TSendBatch>>> Ports;
};

TThreadSends& ThreadSends() {
  thread_local TThreadSends sends;
  return sends;
}

}  // namespace

struct TLinuxDriver::TAdapterState {
  std::shared_ptr<TPacketEventSlot> Event = std::make_shared<TPacketEventSlot>();
  bool EventRegistered = false;
  std::shared_ptr<TPacketSocket> Port;
  std::shared_ptr<TInterception> Interception;
};

TLinuxDriver::TLinuxDriver(TAttachKind attachKind)
    : TLinuxDriver(std::make_unique<TInProcessInterceptionSource>(attachKind), attachKind) {}

TLinuxDriver::TLinuxDriver(std::unique_ptr<IInterceptionSource> source, TAttachKind attachKind)
    : FAttachKind(attachKind), FSource(std::move(source)) {}

TLinuxDriver::~TLinuxDriver() {
  std::map<TAdapterHandle, std::shared_ptr<TAdapterState>> adapters;
  {
    std::lock_guard guard(FMutex);
    adapters.swap(FAdapters);
  }
  // Leaving scope releases every hook, TAP and socket, hooks before TAPs.
}

bool TLinuxDriver::Fail(const std::string& why) {
  std::lock_guard guard(FMutex);
  FLastError = why;
  return false;
}

bool TLinuxDriver::Refused(const std::string& why) {
  FRefusedFrames.fetch_add(1, std::memory_order_relaxed);
  return Fail(why);
}

std::string TLinuxDriver::LastError() const {
  std::lock_guard guard(FMutex);
  return FLastError;
}

std::shared_ptr<TLinuxDriver::TAdapterState> TLinuxDriver::FindState(TAdapterHandle adapter) {
  std::lock_guard guard(FMutex);
  auto found = FAdapters.find(adapter);
  return found == FAdapters.end() ? nullptr : found->second;
}

std::shared_ptr<TInterception> TLinuxDriver::InterceptionOf(TAdapterHandle adapter) {
  std::lock_guard guard(FMutex);
  auto found = FAdapters.find(adapter);
  return found == FAdapters.end() ? nullptr : found->second->Interception;
}

std::shared_ptr<TLinuxDriver::TAdapterState> TLinuxDriver::StateFor(TAdapterHandle adapter) {
  auto& state = FAdapters[adapter];
  if (!state) state = std::make_shared<TAdapterState>();
  return state;
}

void TLinuxDriver::ForgetIfIdle(TAdapterHandle adapter) {
  auto found = FAdapters.find(adapter);
  if (found == FAdapters.end()) return;
  const TAdapterState& state = *found->second;
  // The port goes with the state: closing it ends a promiscuous membership
  // that nobody took back.
  if (!state.EventRegistered && !state.Interception) FAdapters.erase(found);
}

std::shared_ptr<TPacketSocket> TLinuxDriver::PortFor(TAdapterHandle adapter) {
  std::lock_guard guard(FMutex);
  auto state = StateFor(adapter);
  if (!state->Port) state->Port = FSource->OpenPort(adapter);
  return state->Port;
}

bool TLinuxDriver::GetTcpipBoundAdaptersInfo(TTcpAdapterList& list) {
  try {
    FillAdapterList(ReadLinkTable(), list);
    return true;
  } catch (const std::exception& error) {
    return Fail(error.what());
  }
}

std::string TLinuxDriver::ConvertWindows2000AdapterName(const TAdapterName& name) {
  std::string text = AdapterNameText(name);
  try {
    for (const TLinkInfo& link : ReadLinkTable())
      if (link.Name == text) return AdapterDisplayText(link);
  } catch (const std::exception& error) {
    Fail(error.what());
  }
  return {};
}

bool TLinuxDriver::SetPacketEvent(TAdapterHandle adapter, TAutoResetEvent* event) {
  // Clearing must work also for an adapter that has gone away meanwhile:
  // the event it names is about to be freed.
  if (event && !InterfaceExists(adapter)) return Fail("no interface has index " + std::to_string(adapter));
  std::lock_guard guard(FMutex);
  auto state = StateFor(adapter);
  state->Event->Assign(event);
  state->EventRegistered = event != nullptr;
  // Frames may already wait, and an edge-triggered poller would not say so again.
  if (event && state->Interception) event->Set();
  if (!event) ForgetIfIdle(adapter);
  return true;
}

bool TLinuxDriver::SetAdapterMode(const TAdapterMode& mode) {
  if ((mode.Flags & ~kModeIntercept) != 0) return Fail("unknown adapter mode " + std::to_string(mode.Flags));
  std::shared_ptr<TInterception> previous;
  std::shared_ptr<TPacketEventSlot> event;
  {
    std::lock_guard guard(FMutex);
    for (auto& [handle, state] : FAdapters)
      if (state->Interception && state->Interception->OwnsDevice(mode.Adapter))
        return Fail("an interception device cannot be intercepted itself");
    auto state = StateFor(mode.Adapter);
    if (state->Interception && state->Interception->QueueFlags() == mode.Flags) return true;
    previous = std::move(state->Interception);
    event = state->Event;
    if (mode.Flags == kModeRelease) ForgetIfIdle(mode.Adapter);
  }
  // Release the old hooks before new ones go on, and outside the lock: its
  // poller thread is joined here.
  if (previous) KeepPassed(*previous);
  previous.reset();
  if (mode.Flags == kModeRelease) return true;
  try {
    auto interception = std::make_shared<TInterception>(FSource->Intercept(mode.Adapter, mode.Flags),
                                                         [event] { event->Signal(); });
    std::lock_guard selection(FSelectionMutex);
    WriteSelectionTo(*interception);
    std::lock_guard guard(FMutex);
    const bool first = std::none_of(FAdapters.begin(), FAdapters.end(),
                                    [](const auto& entry) { return entry.second->Interception != nullptr; });
    if (first) FPassedEarlier = {};
    StateFor(mode.Adapter)->Interception = std::move(interception);
    return true;
  } catch (const std::exception& error) {
    std::lock_guard guard(FMutex);
    FLastError = error.what();
    ForgetIfIdle(mode.Adapter);
    return false;
  }
}

void TLinuxDriver::SelectFrames(const TFrameSelection& selection) {
  std::lock_guard guard(FSelectionMutex);
  if (FSelection == selection) return;
  FSelection = selection;
  WriteSelection();
}

void TLinuxDriver::SetLocalAddresses(const TIPAddrList& addresses) {
  std::lock_guard guard(FSelectionMutex);
  if (FLocalAddresses == addresses) return;
  FLocalAddresses = addresses;
  WriteSelection();
}

namespace {

// OT_STEAL_ALL=1 hands every frame to the engine whatever the rule: the way
// of a driver that cannot decide in the kernel, forced for comparing the two.
bool StealAllForced() {
  const char* value = std::getenv("OT_STEAL_ALL");
  return value && std::strcmp(value, "1") == 0;
}

}  // namespace

void TLinuxDriver::WriteSelection() {
  if (StealAllForced()) {
    FKernelSelection = StealEverySelection("OT_STEAL_ALL=1 hands every frame to the engine");
  } else if (FSelection) {
    FKernelSelection = TranslateSelection(*FSelection, FLocalAddresses ? &*FLocalAddresses : nullptr);
  } else {
    FKernelSelection = StealEverySelection("the engine has not said what it selects");
  }
  std::vector<std::shared_ptr<TInterception>> interceptions;
  {
    std::lock_guard guard(FMutex);
    for (auto& [handle, state] : FAdapters)
      if (state->Interception) interceptions.push_back(state->Interception);
  }
  for (auto& interception : interceptions) WriteSelectionTo(*interception);
}

void TLinuxDriver::WriteSelectionTo(TInterception& interception) {
  if (!FKernelSelection) FKernelSelection = StealEverySelection("the engine has not said what it selects");
  try {
    interception.Select(*FKernelSelection);
  } catch (const std::exception& error) {
    // The programs keep handing every frame to the engine, which decides.
    Fail(error.what());
  }
}

std::string TLinuxDriver::KernelFallback() const {
  std::lock_guard guard(FSelectionMutex);
  return FKernelSelection ? FKernelSelection->Fallback : "the engine has not said what it selects";
}

void TLinuxDriver::KeepPassed(const TInterception& interception) {
  TKernelPassedCounts passed;
  try {
    passed = interception.Passed();
  } catch (const std::exception& error) {
    Fail(error.what());
    return;
  }
  std::lock_guard guard(FMutex);
  FPassedEarlier += passed;
}

TKernelPassedCounts TLinuxDriver::KernelPassed() const {
  std::vector<std::shared_ptr<TInterception>> interceptions;
  TKernelPassedCounts total;
  {
    std::lock_guard guard(FMutex);
    total = FPassedEarlier;
    for (const auto& [handle, state] : FAdapters)
      if (state->Interception) interceptions.push_back(state->Interception);
  }
  for (const auto& interception : interceptions) {
    try {
      total += interception->Passed();
    } catch (const std::exception&) {
      // An interception whose maps cannot be read adds nothing.
    }
  }
  return total;
}

bool TLinuxDriver::ReadPacket(TFrameRequest& request) {
  if (!request.Buffer) return false;
  const std::shared_ptr<TInterception> interception = InterceptionOf(request.Adapter);
  if (!interception) return false;
  TOversizedTail& tail = ThreadTail();
  tail.Length = 0;
  TFrameBuffer& buffer = *request.Buffer;
  iovec pieces[2] = {{buffer.Data, kMaxFrameData}, {tail.Bytes.data(), tail.Bytes.size()}};
  uint32_t deviceFlag = 0;
  const size_t length = interception->Read(pieces, 2, deviceFlag);
  if (length == 0) return false;
  // A longer frame is never cut: its rest waits here for the send that
  // passes it on.
  if (length > kMaxFrameData) tail.Length = length - kMaxFrameData;
  buffer.DeviceFlags = deviceFlag;
  buffer.Length = static_cast<uint32_t>(length);
  buffer.PacketFlags = 0;
  buffer.VlanTag = 0;
  buffer.FilterId = 0;
  return true;
}

bool TLinuxDriver::FramePieces(const TFrameRequest& request, iovec (&pieces)[2], int& count) {
  if (!request.Buffer || request.Buffer->Length < kMinFrameLength) return Fail("frame length out of range");
  const uint32_t length = request.Buffer->Length;
  pieces[0] = {request.Buffer->Data, std::min(length, kMaxFrameData)};
  count = 1;
  if (length <= kMaxFrameData) return true;
  const TOversizedTail& tail = ThreadTail();
  if (tail.Length != length - kMaxFrameData)
    return Fail("a frame longer than the buffer is sent only by the thread that read it, before it reads again");
  pieces[1] = {const_cast<uint8_t*>(tail.Bytes.data()), tail.Length};
  count = 2;
  return true;
}

bool TLinuxDriver::SendPacketToAdapter(const TFrameRequest& request) {
  iovec pieces[2];
  int count = 0;
  if (!FramePieces(request, pieces, count)) return false;
  try {
    return SendToPort(PortFor(request.Adapter), pieces, count, "the adapter refused a frame");
  } catch (const std::exception& error) {
    return Fail(error.what());
  }
}

bool TLinuxDriver::SendToPort(const std::shared_ptr<TPacketSocket>& port, const iovec (&pieces)[2], int count,
                              const char* refusal) {
  TThreadSends& sends = ThreadSends();
  if (sends.Driver != this) return port->Send(pieces, count) || Refused(SystemErrorText(refusal));
  auto entry = std::find_if(sends.Ports.begin(), sends.Ports.end(),
                            [&](const auto& batch) { return batch.first == port || !batch.first; });
  if (entry == sends.Ports.end()) {
    sends.Ports.emplace_back(port, std::make_unique<TSendBatch>());
    entry = sends.Ports.end() - 1;
  }
  if (!entry->first) entry->first = port;
  TSendBatch& batch = *entry->second;
  // A frame longer than a batch's slot goes at once, behind those before it.
  if (batch.Full() || count > 1) CountRefused(batch.Send(port->Fd()));
  if (count > 1) return port->Send(pieces, count) || Refused(SystemErrorText(refusal));
  batch.Add(pieces[0]);
  return true;
}

void TLinuxDriver::CountRefused(size_t refused) {
  if (refused == 0) return;
  FRefusedFrames.fetch_add(refused, std::memory_order_relaxed);
  Fail(SystemErrorText("the kernel refused " + std::to_string(refused) + " frames of a batch"));
}

void TLinuxDriver::BeginSendBatch() { ThreadSends().Driver = this; }

void TLinuxDriver::EndSendBatch() {
  TThreadSends& sends = ThreadSends();
  if (sends.Driver != this) return;
  sends.Driver = nullptr;
  // The sockets are let go, their batches kept for the next wake-up.
  for (auto& [port, batch] : sends.Ports) {
    if (port && !batch->Empty()) CountRefused(batch->Send(port->Fd()));
    port.reset();
  }
}

bool TLinuxDriver::SendPacketToMstcp(const TFrameRequest& request) {
  iovec pieces[2];
  int count = 0;
  if (!FramePieces(request, pieces, count)) return false;
  const std::shared_ptr<TInterception> interception = InterceptionOf(request.Adapter);
  if (!interception) return Fail("frames reach the local stack only while the adapter is intercepted");
  // A frame longer than the buffer may be longer than the adapter's MTU,
  // which a packet socket refuses and the TAP does not.
  if (const auto& port = interception->StackPort(); port && count == 1) {
    try {
      return SendToPort(port, pieces, count, "the local stack refused a frame");
    } catch (const std::exception& error) {
      return Fail(error.what());
    }
  }
  return interception->DeliverToStack(pieces, count) || Refused(SystemErrorText("the local stack refused a frame"));
}

bool TLinuxDriver::FlushAdapterPacketQueue(TAdapterHandle adapter) {
  const std::shared_ptr<TInterception> interception = InterceptionOf(adapter);
  if (interception) interception->Flush();
  return true;
}

bool TLinuxDriver::GetHwPacketFilter(TAdapterHandle adapter, uint32_t& filter) {
  if (!InterfaceExists(adapter)) return Fail("no interface has index " + std::to_string(adapter));
  auto state = FindState(adapter);
  std::lock_guard guard(FMutex);
  bool promiscuous = state && state->Port && state->Port->Promiscuous();
  filter = kHwFilterNormal | (promiscuous ? kHwFilterPromiscuous : 0);
  return true;
}

bool TLinuxDriver::SetHwPacketFilter(TAdapterHandle adapter, uint32_t filter) {
  if (!InterfaceExists(adapter)) return Fail("no interface has index " + std::to_string(adapter));
  try {
    auto port = PortFor(adapter);
    std::lock_guard guard(FMutex);
    port->SetPromiscuous((filter & kHwFilterPromiscuous) != 0);
    return true;
  } catch (const std::exception& error) {
    return Fail(error.what());
  }
}

namespace {

// OT_ATTACH_KIND=cls_bpf puts the interceptions on cls_bpf filters even where
// the kernel has tcx: the way of older kernels, forced for testing it.
bool ClsBpfForced() {
  const char* kind = std::getenv("OT_ATTACH_KIND");
  return kind && std::strcmp(kind, "cls_bpf") == 0;
}

std::unique_ptr<IPacketDriver> OpenInProcess(std::string& whyNot) {
  std::string missing = MissingPrivileges();
  if (!missing.empty()) {
    whyNot = missing;
    return nullptr;
  }
  if (::access("/dev/net/tun", R_OK | W_OK) != 0) {
    whyNot = "The TUN/TAP device /dev/net/tun is missing or not accessible";
    return nullptr;
  }
  // Failures are reported through our own messages; libbpf's own lines on
  // stderr would only repeat them.
  libbpf_set_print(nullptr);
  try {
    TSelectionMaps scratch;
    LoadStealProgram(1, TTcAttachPoint::Ingress, false, scratch);
  } catch (const std::exception& error) {
    whyNot = std::string("The kernel refused to load the packet programs (") + error.what() + ")";
    return nullptr;
  }
  TAttachKind kind = KernelHasTcx() && !ClsBpfForced() ? TAttachKind::Tcx : TAttachKind::ClsBpf;
  // Filters left behind by a process of ours that did not end cleanly would
  // keep stealing frames into TAPs that no longer exist. Those of a running
  // instance stay.
  try {
    RemoveStaleClsBpfFilters();
  } catch (const std::exception&) {
  }
  return std::make_unique<TLinuxDriver>(kind);
}

std::string ExecutablePath() {
  std::vector<char> path(4096);
  const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size() - 1);
  return length > 0 ? std::string(path.data(), static_cast<size_t>(length)) : std::string();
}

std::unique_ptr<IPacketDriver> OpenThroughHelper(std::string& whyNot) {
  try {
    auto client = std::make_shared<THelperClient>(HelperPathFor(ExecutablePath()));
    const THelperAttach attach = ClsBpfForced() ? THelperAttach::ClsBpf : client->KernelAttach();
    // Cutting connections and resolving neighbours go to the helper too.
    SetPrivilegedSteps(client);
    return std::make_unique<TLinuxDriver>(std::make_unique<THelperInterceptionSource>(client, attach),
                                          attach == THelperAttach::ClsBpf ? TAttachKind::ClsBpf : TAttachKind::Tcx);
  } catch (const std::exception& error) {
    whyNot = error.what();
    return nullptr;
  }
}

// What a driver that only lists adapters answers when asked for more.
class TListOnlySource final : public IInterceptionSource {
 public:
  TInterceptionParts Intercept(uint32_t, uint32_t) override { throw std::runtime_error(kText); }
  std::unique_ptr<TPacketSocket> OpenPort(uint32_t) override { throw std::runtime_error(kText); }

 private:
  static constexpr const char* kText = "this driver was opened to list the adapters only";
};

}  // namespace

std::unique_ptr<IPacketDriver> OpenLinuxAdapterList() {
  return std::make_unique<TLinuxDriver>(std::make_unique<TListOnlySource>(), TAttachKind::Tcx);
}

std::unique_ptr<IPacketDriver> OpenLinuxFilterDriver(std::string& whyNot) {
  whyNot.clear();
  // Root may build everything in this process (CI, containers); anyone else
  // has the helper do what needs capabilities, and holds none itself.
  if (::geteuid() == 0) return OpenInProcess(whyNot);
  whyNot = OwnCapabilitiesRefusal();
  if (!whyNot.empty()) return nullptr;
  return OpenThroughHelper(whyNot);
}
