#pragma once
// A packet driver that passes every call on to the real one and notes when
// an adapter has been switched to interception, so that the owner can tell
// when a started simulation really holds its adapter.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>

#include "engine/PacketDriver.h"

class TInterceptionWatch : public IPacketDriver {
 public:
  explicit TInterceptionWatch(IPacketDriver& driver) : FDriver(driver) {}

  // Waits up to timeout until the adapter is intercepted; true when it is.
  bool WaitIntercepted(TAdapterHandle adapter, std::chrono::milliseconds timeout);

  bool IsDriverLoaded() const override { return FDriver.IsDriverLoaded(); }
  bool GetTcpipBoundAdaptersInfo(TTcpAdapterList& list) override { return FDriver.GetTcpipBoundAdaptersInfo(list); }
  std::string ConvertWindows2000AdapterName(const TAdapterName& name) override {
    return FDriver.ConvertWindows2000AdapterName(name);
  }
  bool SetPacketEvent(TAdapterHandle adapter, TAutoResetEvent* event) override {
    return FDriver.SetPacketEvent(adapter, event);
  }
  bool SetAdapterMode(const TAdapterMode& mode) override;
  bool ReadPacket(TFrameRequest& request) override { return FDriver.ReadPacket(request); }
  bool SendPacketToAdapter(const TFrameRequest& request) override { return FDriver.SendPacketToAdapter(request); }
  bool SendPacketToMstcp(const TFrameRequest& request) override { return FDriver.SendPacketToMstcp(request); }
  bool FlushAdapterPacketQueue(TAdapterHandle adapter) override { return FDriver.FlushAdapterPacketQueue(adapter); }
  bool GetHwPacketFilter(TAdapterHandle adapter, uint32_t& filter) override {
    return FDriver.GetHwPacketFilter(adapter, filter);
  }
  bool SetHwPacketFilter(TAdapterHandle adapter, uint32_t filter) override {
    return FDriver.SetHwPacketFilter(adapter, filter);
  }
  std::string LastError() const override { return FDriver.LastError(); }
  void SelectFrames(const TFrameSelection& selection) override { FDriver.SelectFrames(selection); }
  void SetLocalAddresses(const TIPAddrList& addresses) override { FDriver.SetLocalAddresses(addresses); }
  TKernelPassedCounts KernelPassed() const override { return FDriver.KernelPassed(); }
  void BeginSendBatch() override { FDriver.BeginSendBatch(); }
  void EndSendBatch() override { FDriver.EndSendBatch(); }

 private:
  IPacketDriver& FDriver;
  std::mutex FMutex;
  std::condition_variable FChanged;
  std::set<TAdapterHandle> FIntercepted;
};
