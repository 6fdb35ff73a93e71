#include "platform/LabDriver.h"

#include <algorithm>
#include <chrono>
#include <utility>

TLabDriver::TAdapter* TLabDriver::Slot(TAdapterHandle adapter) {
  if (adapter == 0 || adapter > FAdapters.size()) return nullptr;
  return &FAdapters[adapter - 1];
}

TLabDriver::TAdapter* TLabDriver::Find(TAdapterHandle adapter) {
  TAdapter* found = Slot(adapter);
  return found && !found->Removed ? found : nullptr;
}

TAdapterHandle TLabDriver::AddAdapter(const std::string& name, const TMacAddress& mac, const std::string& description,
                                      uint16_t mtu, uint32_t medium) {
  std::lock_guard guard(FMutex);
  TAdapter& adapter = FAdapters.emplace_back();
  adapter.Name = name;
  adapter.Description = description;
  adapter.Mac = mac;
  adapter.Mtu = mtu;
  adapter.Medium = medium;
  return static_cast<TAdapterHandle>(FAdapters.size());
}

void TLabDriver::RemoveAdapter(TAdapterHandle handle) {
  TAutoResetEvent* event = nullptr;
  {
    std::lock_guard guard(FMutex);
    TAdapter* adapter = Find(handle);
    if (!adapter) return;
    adapter->Removed = true;
    event = adapter->Event;
  }
  // A reader waiting for frames finds out at once, as from the kernel.
  if (event) event->Set();
}

void TLabDriver::ReceiveFromWire(TAdapterHandle adapter, const std::vector<uint8_t>& frame) {
  Feed(adapter, frame, kPacketFlagIncoming);
}

void TLabDriver::SendFromStack(TAdapterHandle adapter, const std::vector<uint8_t>& frame) {
  Feed(adapter, frame, kPacketFlagOutgoing);
}

void TLabDriver::Feed(TAdapterHandle handle, const std::vector<uint8_t>& frame, uint32_t deviceFlags) {
  TAutoResetEvent* event = nullptr;
  {
    std::lock_guard guard(FMutex);
    TAdapter* adapter = Find(handle);
    if (!adapter) return;
    const bool intercepted = (deviceFlags == kPacketFlagIncoming) ? (adapter->Mode & kModeQueueReceived)
                                                                   : (adapter->Mode & kModeQueueSent);
    if (!intercepted) {
      // Not intercepted: the frame takes its normal path at once.
      Emit(*adapter, deviceFlags == kPacketFlagOutgoing, frame.data(), static_cast<uint32_t>(frame.size()),
           deviceFlags, 0);
      return;
    }
    adapter->Waiting.push_back(TQueuedFrame{frame, deviceFlags});
    event = adapter->Event;
  }
  if (event) event->Set();
}

void TLabDriver::Emit(TAdapter& adapter, bool toWire, const uint8_t* data, uint32_t length, uint32_t deviceFlags,
                      uint32_t packetFlags) {
  (toWire ? adapter.ToWireCount : adapter.ToStackCount)++;
  if (FCollect) {
    TLabFrame out{std::vector<uint8_t>(data, data + length), deviceFlags, packetFlags, FClock.NowMicroseconds()};
    (toWire ? adapter.ToWire : adapter.ToStack).push_back(std::move(out));
  }
  FOutput.notify_all();
}

bool TLabDriver::EmitRequest(const TFrameRequest& request, bool toWire) {
  TAdapter& adapter = *Find(request.Adapter);
  const TFrameBuffer& buffer = *request.Buffer;
  if (!IsOversizedFrame(buffer)) {
    Emit(adapter, toWire, buffer.Data, buffer.Length, buffer.DeviceFlags, buffer.PacketFlags);
    return true;
  }
  auto tail = FTails.find(std::this_thread::get_id());
  if (tail == FTails.end() || tail->second.size() != buffer.Length - kMaxFrameData) return false;
  std::vector<uint8_t> whole(buffer.Data, buffer.Data + kMaxFrameData);
  whole.insert(whole.end(), tail->second.begin(), tail->second.end());
  Emit(adapter, toWire, whole.data(), buffer.Length, buffer.DeviceFlags, buffer.PacketFlags);
  return true;
}

std::vector<TLabFrame> TLabDriver::TakeSentToWire(TAdapterHandle handle) {
  std::lock_guard guard(FMutex);
  TAdapter* adapter = Find(handle);
  return adapter ? std::exchange(adapter->ToWire, {}) : std::vector<TLabFrame>{};
}

std::vector<TLabFrame> TLabDriver::TakeDeliveredToStack(TAdapterHandle handle) {
  std::lock_guard guard(FMutex);
  TAdapter* adapter = Find(handle);
  return adapter ? std::exchange(adapter->ToStack, {}) : std::vector<TLabFrame>{};
}

uint64_t TLabDriver::SentToWireCount(TAdapterHandle handle) {
  std::lock_guard guard(FMutex);
  TAdapter* adapter = Find(handle);
  return adapter ? adapter->ToWireCount : 0;
}

uint64_t TLabDriver::DeliveredToStackCount(TAdapterHandle handle) {
  std::lock_guard guard(FMutex);
  TAdapter* adapter = Find(handle);
  return adapter ? adapter->ToStackCount : 0;
}

bool TLabDriver::WaitFor(const std::function<bool()>& done, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!done()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::unique_lock lock(FMutex);
    FOutput.wait_for(lock, std::chrono::milliseconds(5));
  }
  return true;
}

void TLabDriver::SetCollectFrames(bool collect) {
  std::lock_guard guard(FMutex);
  FCollect = collect;
}

void TLabDriver::SetFaults(TAdapterHandle handle, const TLabFaults& faults) {
  TAutoResetEvent* event = nullptr;
  {
    std::lock_guard guard(FMutex);
    TAdapter* adapter = Find(handle);
    if (!adapter) return;
    adapter->Faults = faults;
    // A removal wakes the reader, as the real driver's does.
    if (faults.Lost) event = adapter->Event;
  }
  if (event) event->Set();
}

bool TLabDriver::Intercepting(TAdapterHandle handle) {
  std::lock_guard guard(FMutex);
  TAdapter* adapter = Find(handle);
  return adapter && adapter->Mode != kModeRelease;
}

bool TLabDriver::HasPacketEvent(TAdapterHandle handle) {
  std::lock_guard guard(FMutex);
  TAdapter* adapter = Find(handle);
  return adapter && adapter->Event;
}

uint32_t TLabDriver::HwPacketFilter(TAdapterHandle handle) {
  std::lock_guard guard(FMutex);
  TAdapter* adapter = Find(handle);
  return adapter ? adapter->HwFilter : 0;
}

size_t TLabDriver::WaitingFrames(TAdapterHandle handle) {
  std::lock_guard guard(FMutex);
  TAdapter* adapter = Find(handle);
  return adapter ? adapter->Waiting.size() : 0;
}

bool TLabDriver::GetTcpipBoundAdaptersInfo(TTcpAdapterList& list) {
  std::lock_guard guard(FMutex);
  list.AdapterCount = 0;
  for (size_t position = 0; position < FAdapters.size() && list.AdapterCount < kMaxAdapters; ++position) {
    const TAdapter& adapter = FAdapters[position];
    if (adapter.Removed) continue;
    const uint32_t i = list.AdapterCount++;
    list.AdapterNameList[i] = MakeAdapterName(adapter.Name);
    list.AdapterHandle[i] = static_cast<TAdapterHandle>(position + 1);
    list.AdapterMediumList[i] = adapter.Medium;
    list.CurrentAddress[i] = adapter.Mac;
    list.MTU[i] = adapter.Mtu;
  }
  return true;
}

std::string TLabDriver::ConvertWindows2000AdapterName(const TAdapterName& name) {
  std::lock_guard guard(FMutex);
  const std::string text = AdapterNameText(name);
  for (const TAdapter& adapter : FAdapters) {
    if (adapter.Name == text) return adapter.Description.empty() ? text : text + " (" + adapter.Description + ")";
  }
  return {};
}

bool TLabDriver::SetPacketEvent(TAdapterHandle handle, TAutoResetEvent* event) {
  TAutoResetEvent* signal = nullptr;
  {
    std::lock_guard guard(FMutex);
    TAdapter* adapter = Find(handle);
    // Taking an event back from an unplugged adapter works, as it does on
    // the real driver, so that a stop after the loss is clean.
    if (!event && Slot(handle)) adapter = Slot(handle);
    if (!adapter || adapter->Faults.SetPacketEvent) return false;
    adapter->Event = event;
    if (event && !adapter->Waiting.empty()) signal = event;
  }
  if (signal) signal->Set();
  return true;
}

bool TLabDriver::SetAdapterMode(const TAdapterMode& mode) {
  std::lock_guard guard(FMutex);
  TAdapter* adapter = Find(mode.Adapter);
  if (!adapter || adapter->Faults.SetAdapterMode) return false;
  adapter->Mode = mode.Flags;
  return true;
}

bool TLabDriver::ReadPacket(TFrameRequest& request) {
  std::lock_guard guard(FMutex);
  TAdapter* adapter = Slot(request.Adapter);
  if (adapter && (adapter->Faults.Lost || adapter->Removed))
    throw EAdapterLost("The network adapter " + adapter->Name + " is no longer available");
  if (!adapter || adapter->Waiting.empty()) return false;
  TQueuedFrame& frame = adapter->Waiting.front();
  const uint32_t length = static_cast<uint32_t>(frame.Bytes.size());
  std::copy_n(frame.Bytes.data(), std::min(length, kMaxFrameData), request.Buffer->Data);
  // Like the real driver: a longer frame's rest waits for this thread's send.
  if (length > kMaxFrameData) {
    FTails[std::this_thread::get_id()].assign(frame.Bytes.begin() + kMaxFrameData, frame.Bytes.end());
  } else {
    FTails.erase(std::this_thread::get_id());
  }
  request.Buffer->Length = length;
  request.Buffer->DeviceFlags = frame.DeviceFlags;
  request.Buffer->PacketFlags = 0;
  adapter->Waiting.pop_front();
  return true;
}

bool TLabDriver::SendPacketToAdapter(const TFrameRequest& request) {
  std::lock_guard guard(FMutex);
  TAdapter* adapter = Find(request.Adapter);
  if (!adapter) return false;
  return EmitRequest(request, true);
}

bool TLabDriver::SendPacketToMstcp(const TFrameRequest& request) {
  std::lock_guard guard(FMutex);
  TAdapter* adapter = Find(request.Adapter);
  if (!adapter) return false;
  return EmitRequest(request, false);
}

bool TLabDriver::FlushAdapterPacketQueue(TAdapterHandle handle) {
  std::lock_guard guard(FMutex);
  TAdapter* adapter = Find(handle);
  if (!adapter) return false;
  adapter->Waiting.clear();
  return true;
}

bool TLabDriver::GetHwPacketFilter(TAdapterHandle handle, uint32_t& filter) {
  std::lock_guard guard(FMutex);
  TAdapter* adapter = Find(handle);
  if (!adapter || adapter->Faults.HwPacketFilter) return false;
  filter = adapter->HwFilter;
  return true;
}

bool TLabDriver::SetHwPacketFilter(TAdapterHandle handle, uint32_t filter) {
  std::lock_guard guard(FMutex);
  TAdapter* adapter = Find(handle);
  if (!adapter || adapter->Faults.HwPacketFilter) return false;
  adapter->HwFilter = filter;
  return true;
}
