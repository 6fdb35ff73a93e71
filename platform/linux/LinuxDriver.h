#pragma once
// The packet driver on Linux: it intercepts a real adapter with tc programs
// that steal its frames into two TAP devices, and puts frames back through an
// AF_PACKET socket (to the wire) or through the "in" TAP (to the local stack).
// Adapter handles are interface indexes of the network namespace the driver
// was opened in.
#include <sys/uio.h>

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "engine/PacketDriver.h"
#include "platform/linux/KernelSelection.h"
#include "platform/linux/TcAttachment.h"

class IInterceptionSource;
class TInterception;
class TPacketSocket;
class TPacketEventSlot;

class TLinuxDriver final : public IPacketDriver {
 public:
  // Builds its interceptions in this process (which needs the privileges).
  explicit TLinuxDriver(TAttachKind attachKind);
  // Gets them from the source (the helper), with the hooks of the given kind.
  TLinuxDriver(std::unique_ptr<IInterceptionSource> source, TAttachKind attachKind);
  ~TLinuxDriver() override;

  bool IsDriverLoaded() const override { return true; }
  bool GetTcpipBoundAdaptersInfo(TTcpAdapterList& list) override;
  std::string ConvertWindows2000AdapterName(const TAdapterName& name) override;
  bool SetPacketEvent(TAdapterHandle adapter, TAutoResetEvent* event) override;
  bool SetAdapterMode(const TAdapterMode& mode) override;
  bool ReadPacket(TFrameRequest& request) override;
  bool SendPacketToAdapter(const TFrameRequest& request) override;
  bool SendPacketToMstcp(const TFrameRequest& request) override;
  bool FlushAdapterPacketQueue(TAdapterHandle adapter) override;
  bool GetHwPacketFilter(TAdapterHandle adapter, uint32_t& filter) override;
  bool SetHwPacketFilter(TAdapterHandle adapter, uint32_t filter) override;

  TAttachKind AttachKind() const { return FAttachKind; }
  // Frames the kernel would not take at once (a full send buffer, a queue
  // that drops, a device that is down): sends never wait, so these are lost.
  uint64_t RefusedFrames() const { return FRefusedFrames.load(); }
  std::string LastError() const override;
  void SelectFrames(const TFrameSelection& selection) override;
  void SetLocalAddresses(const TIPAddrList& addresses) override;
  TKernelPassedCounts KernelPassed() const override;
  void BeginSendBatch() override;
  void EndSendBatch() override;
  // Why the interceptions hand every frame to the engine at present; empty
  // while their programs decide in the kernel.
  std::string KernelFallback() const;

 private:
  struct TAdapterState;
  std::shared_ptr<TAdapterState> FindState(TAdapterHandle adapter);
  // The adapter's interception while it runs, else nullptr; one hold of FMutex.
  std::shared_ptr<TInterception> InterceptionOf(TAdapterHandle adapter);
  std::shared_ptr<TAdapterState> StateFor(TAdapterHandle adapter);  // with FMutex held
  std::shared_ptr<TPacketSocket> PortFor(TAdapterHandle adapter);
  void ForgetIfIdle(TAdapterHandle adapter);  // with FMutex held
  bool Fail(const std::string& why);
  bool Refused(const std::string& why);
  // The frame to send as pieces: the buffer, and for a frame longer than the
  // buffer the rest that this thread's last read kept.
  bool FramePieces(const TFrameRequest& request, iovec (&pieces)[2], int& count);
  // With FSelectionMutex held: the kernel's form of what the engine said
  // last, written to every interception.
  void WriteSelection();
  void WriteSelectionTo(TInterception& interception);
  // Sends the frame now, or queues it in this thread's open send batch.
  bool SendToPort(const std::shared_ptr<TPacketSocket>& port, const iovec (&pieces)[2], int count,
                  const char* refusal);
  // Counts what a batch's sendmmsg refused.
  void CountRefused(size_t refused);
  // Adds what a released interception passed to the earlier total.
  void KeepPassed(const TInterception& interception);

  const TAttachKind FAttachKind;
  const std::unique_ptr<IInterceptionSource> FSource;
  mutable std::mutex FMutex;  // guards FAdapters and FLastError
  std::map<TAdapterHandle, std::shared_ptr<TAdapterState>> FAdapters;
  std::string FLastError;
  std::atomic<uint64_t> FRefusedFrames{0};

  // What the engine selects, and the kernel's form of it. Taken before FMutex.
  mutable std::mutex FSelectionMutex;
  std::optional<TFrameSelection> FSelection;
  std::optional<TIPAddrList> FLocalAddresses;
  std::unique_ptr<TKernelSelection> FKernelSelection;
  TKernelPassedCounts FPassedEarlier;  // guarded by FMutex
};

// Opens the driver when the process may intercept frames; otherwise returns
// nullptr and says in one line what is missing. Run as root, the process
// builds its interceptions itself (it needs the TAP device and a kernel that
// loads the programs); anyone else starts the helper and gets them from it
// (the helper must be there, this user in its group, and the helper hold
// its capabilities). A process with capabilities of its own is refused.
std::unique_ptr<IPacketDriver> OpenLinuxFilterDriver(std::string& whyNot);

// The driver for the adapter list alone, which needs no privileges: it
// refuses to intercept or open a packet socket.
std::unique_ptr<IPacketDriver> OpenLinuxAdapterList();
