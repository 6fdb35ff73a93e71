#pragma once
// Bridge mode: two adapters A and B joined into a transparent Ethernet
// bridge. Each adapter has its own thread; a frame from the wire that is not
// for this host leaves by the other adapter, through the engine. The adapter
// chosen for emulation fixes the direction: frames entering at it count as
// incoming, frames leaving by it as outgoing.

#include <memory>

#include "engine/Process.h"

struct TBridgeEnd {
  TAdapterHandle Adapter = 0;
  TMacAddress Mac{};
};

class TBridgeProcess : public TProcess {
 public:
  class TBridgeThread : public TFilteringThread {
   public:
    TBridgeThread(TEngine& engine, TAdapterHandle emulatedAdapter, TErrorChannel& errors, TBridgeEnd own,
                  TAdapterHandle peer)
        : TFilteringThread(engine, emulatedAdapter, errors), FOwn(own), FPeer(peer) {}
    ~TBridgeThread() override { EndAndWait(); }
    const char* ClassName() const override { return "TBridgeProcess.TBridgeThread"; }

    // What the thread does with one frame read from its own adapter.
    void HandleFrame(TFrameRequest& request);

   protected:
    void Execute() override;
    void WakeUp() override { FEvent.Set(); }

   private:
    void Forward(TFrameRequest& request);

    TBridgeEnd FOwn;
    TAdapterHandle FPeer;
    TAutoResetEvent FEvent;
  };

  TBridgeProcess(TEngine& engine, ITimerFactory& timers, TErrorChannel& errors, TBridgeEnd a,
                 TAdapterHandle selected, TBridgeEnd b);
  ~TBridgeProcess() override;
  bool AdapterLost() const override { return FThreadA->EndsSimulation() || FThreadB->EndsSimulation(); }

 private:
  std::unique_ptr<TBridgeThread> FThreadA;
  std::unique_ptr<TBridgeThread> FThreadB;
};
