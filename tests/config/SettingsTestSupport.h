#pragma once
// What the settings tests share: an engine on lab adapters to apply settings
// to, and an error box that keeps what it was shown.

#include <string>
#include <vector>

#include "engine/Engine.h"
#include "engine/ErrorChannel.h"
#include "platform/LabDriver.h"
#include "platform/MonotonicClock.h"

class TCollectedErrors : public IErrorSink {
 public:
  void ShowError(const std::string& message) override { Messages.push_back(message); }
  std::vector<std::string> Messages;
};

struct TEngineRig {
  TMonotonicClock Clock;
  TLabDriver Driver{Clock};
  TEngine Engine{Driver, Clock, 1};
};
