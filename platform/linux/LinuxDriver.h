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
#include <string>

#include "engine/PacketDriver.h"
#include "platform/linux/TcAttachment.h"

class TInterception;
class TPacketSocket;
class TPacketEventSlot;

class TLinuxDriver final : public IPacketDriver {
 public:
  explicit TLinuxDriver(TAttachKind attachKind);
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

 private:
  struct TAdapterState;
  std::shared_ptr<TAdapterState> FindState(TAdapterHandle adapter);
  std::shared_ptr<TAdapterState> StateFor(TAdapterHandle adapter);  // with FMutex held
  std::shared_ptr<TPacketSocket> PortFor(TAdapterHandle adapter);
  void ForgetIfIdle(TAdapterHandle adapter);  // with FMutex held
  bool Fail(const std::string& why);
  bool Refused(const std::string& why);
  // The frame to send as pieces: the buffer, and for a frame longer than the
  // buffer the rest that this thread's last read kept.
  bool FramePieces(const TFrameRequest& request, iovec (&pieces)[2], int& count);

  const TAttachKind FAttachKind;
  mutable std::mutex FMutex;  // guards FAdapters and FLastError
  std::map<TAdapterHandle, std::shared_ptr<TAdapterState>> FAdapters;
  std::string FLastError;
  std::atomic<uint64_t> FRefusedFrames{0};
};

// Opens the driver when the process may intercept frames; otherwise returns
// nullptr and says in one line what is missing (privileges, the TAP device,
// or a kernel that loads the programs).
std::unique_ptr<IPacketDriver> OpenLinuxFilterDriver(std::string& whyNot);
