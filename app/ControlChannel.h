#pragma once
// The control channel: requests of "ovelda-tarnwick ctl" that a running
// instance, windowed or headless, serves over its instance socket. The
// request text is a JSON array of the command's words, such as
// ["set","loss/enabled=1"]; the answer carries the command's output, or
// why it was refused.

#include <QString>
#include <cstdint>
#include <string>
#include <vector>

#include "app/InstanceProtocol.h"
#include "config/CommandLine.h"
#include "settings/SettingsModel.h"
#include "settings/SettingsPart.h"

// What a running instance does for the control channel. Each action returns
// the message of its failure, empty when it worked.
class IControlTarget {
 public:
  virtual ~IControlTarget() = default;
  virtual TSettingsModel& Model() = 0;
  virtual int AdapterCount() const = 0;
  // The model has changed in these parts: show it and apply them.
  virtual std::string ApplyParts(const std::vector<TSettingsPart>& parts) = 0;
  virtual std::string LoadProfile(const std::string& path) = 0;
  virtual std::string Start() = 0;
  virtual std::string Stop() = 0;
  // The counters as one JSON object, as a headless run prints them.
  virtual std::string StatisticsJson() = 0;
};

QString EncodeControlRequest(const std::vector<std::string>& words);

// Runs one request against the target.
TInstanceAnswer HandleControlRequest(IControlTarget& target, const QString& request);

// The settings of those names (all of them when none is given) as one
// JSON object; unknown names refuse.
std::string SettingsJson(const TSettingsModel& model, const std::vector<std::string>& names);
