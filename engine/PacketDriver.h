#pragma once
// The packet driver as the engine sees it: the records it fills and the
// operations that take frames away from an adapter and hand them back.
// Backends live in platform/ (the in-process lab adapters and the real Linux
// interception); nothing above this interface knows which one runs.
//
// Calling order per intercepted adapter: SetPacketEvent, (bridge only:
// GetHwPacketFilter and SetHwPacketFilter with the promiscuous bit),
// SetAdapterMode 3, ReadPacket in a loop; at the end SetAdapterMode 0,
// (restore the hardware filter), FlushAdapterPacketQueue, SetPacketEvent(none).

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "engine/Event.h"
#include "engine/FrameSelection.h"
#include "filter/IPUtil.h"

using TAdapterHandle = uint32_t;

// The longest frame the buffer holds: a full-size Ethernet frame with one
// 802.1Q tag in place (1514 + 4 bytes), as it is on the wire.
constexpr uint32_t kMaxFrameData = 1518;
constexpr uint32_t kMaxAdapters = 256;
constexpr uint32_t kAdapterNameSize = 256;

// Device flags of a frame.
constexpr uint32_t kPacketFlagOutgoing = 1;  // sent by the local stack
constexpr uint32_t kPacketFlagIncoming = 2;  // received from the network

// Adapter mode flags.
constexpr uint32_t kModeQueueSent = 1;
constexpr uint32_t kModeQueueReceived = 2;
constexpr uint32_t kModeIntercept = kModeQueueSent | kModeQueueReceived;
constexpr uint32_t kModeRelease = 0;

// Hardware packet filter bit that puts the adapter into promiscuous mode.
constexpr uint32_t kHwFilterPromiscuous = 0x20;

// Added to a forwarded frame's packet flags so that the driver does not loop
// it back to the local stack.
constexpr uint32_t kPacketFlagNoLoopback = 0x80;

// Medium of an Ethernet (802.3) adapter.
constexpr uint32_t kMedium8023 = 0;

#pragma pack(push, 1)
struct TFrameBuffer {
  uint8_t ListLink[8];  // driver-internal
  uint32_t DeviceFlags;
  uint32_t Length;
  uint32_t PacketFlags;
  uint32_t VlanTag;
  uint32_t FilterId;
  uint8_t Reserved[16];
  uint8_t Data[kMaxFrameData];  // the Ethernet frame from its destination MAC on
};
#pragma pack(pop)
static_assert(sizeof(TFrameBuffer) == 1562);

// A frame longer than the buffer (a jumbo frame) is never cut. ReadPacket
// fills Data with its first kMaxFrameData bytes and sets Length to the whole
// length; the rest stays with the driver until the same thread reads again.
// Until then that thread may hand the request, its data unchanged, to
// SendPacketToAdapter or SendPacketToMstcp, which send the whole frame. Such
// a frame cannot be queued or changed: the engine passes it on untouched.
inline bool IsOversizedFrame(const TFrameBuffer& buffer) { return buffer.Length > kMaxFrameData; }

struct TFrameRequest {
  TAdapterHandle Adapter = 0;
  TFrameBuffer* Buffer = nullptr;
};

struct TAdapterMode {
  TAdapterHandle Adapter = 0;
  uint32_t Flags = kModeRelease;
};

using TAdapterName = std::array<char, kAdapterNameSize>;
using TMacAddress = std::array<uint8_t, 6>;

// The adapter list as the driver fills it: one array per field.
struct TTcpAdapterList {
  uint32_t AdapterCount = 0;
  std::array<TAdapterName, kMaxAdapters> AdapterNameList{};
  std::array<TAdapterHandle, kMaxAdapters> AdapterHandle{};
  std::array<uint32_t, kMaxAdapters> AdapterMediumList{};
  std::array<TMacAddress, kMaxAdapters> CurrentAddress{};
  std::array<uint16_t, kMaxAdapters> MTU{};
};

// Builds the zero-padded 256-byte driver name from text (cut to 255 bytes).
TAdapterName MakeAdapterName(const std::string& text);
std::string AdapterNameText(const TAdapterName& name);

// The adapter of a read has gone away (removed, unplugged): nothing more will
// come from it, and the simulation on it cannot go on.
class EAdapterLost : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class IPacketDriver {
 public:
  virtual ~IPacketDriver() = default;

  virtual bool IsDriverLoaded() const = 0;
  virtual bool GetTcpipBoundAdaptersInfo(TTcpAdapterList& list) = 0;
  // A display name for the adapter's driver name; empty when there is none,
  // in which case the caller shows the raw name.
  virtual std::string ConvertWindows2000AdapterName(const TAdapterName& name) = 0;
  // The event is set while frames wait for the adapter; nullptr clears it.
  virtual bool SetPacketEvent(TAdapterHandle adapter, TAutoResetEvent* event) = 0;
  virtual bool SetAdapterMode(const TAdapterMode& mode) = 0;
  // Fills the request's buffer with the next waiting frame; false when none.
  // Throws EAdapterLost when the adapter, or what the driver built to
  // intercept it, has gone away.
  virtual bool ReadPacket(TFrameRequest& request) = 0;
  virtual bool SendPacketToAdapter(const TFrameRequest& request) = 0;
  virtual bool SendPacketToMstcp(const TFrameRequest& request) = 0;
  virtual bool FlushAdapterPacketQueue(TAdapterHandle adapter) = 0;
  virtual bool GetHwPacketFilter(TAdapterHandle adapter, uint32_t& filter) = 0;
  virtual bool SetHwPacketFilter(TAdapterHandle adapter, uint32_t filter) = 0;
  // Why the last operation that failed did so, for the message that reports
  // the failure; empty when the driver has nothing to add.
  virtual std::string LastError() const { return {}; }

  // Which frames the engine would hand back untouched; a driver that can
  // pass them itself does so from now on (see engine/FrameSelection.h).
  virtual void SelectFrames(const TFrameSelection&) {}
  // The host's own addresses as the engine's filter sees them now.
  virtual void SetLocalAddresses(const TIPAddrList&) {}
  // What the driver passed itself.
  virtual TKernelPassedCounts KernelPassed() const { return {}; }
  // Between the two calls, frames this thread sends may wait in the driver,
  // which then hands them to the system in batches; EndSendBatch sends what
  // still waits. A driver without batches sends each frame at once.
  virtual void BeginSendBatch() {}
  virtual void EndSendBatch() {}
};

// Opens a send batch on the driver for the current thread while it lives.
class TSendBatchScope {
 public:
  explicit TSendBatchScope(IPacketDriver& driver) : FDriver(driver) { FDriver.BeginSendBatch(); }
  ~TSendBatchScope() { FDriver.EndSendBatch(); }
  TSendBatchScope(const TSendBatchScope&) = delete;
  TSendBatchScope& operator=(const TSendBatchScope&) = delete;

 private:
  IPacketDriver& FDriver;
};
