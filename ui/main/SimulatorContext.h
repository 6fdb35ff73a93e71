#pragma once
// What the windowed program hands to its main window: the engine on the
// opened packet driver, the platform's timers, the preferences store and the
// command line.

#include <QSettings>
#include <functional>
#include <string>
#include <vector>

#include "engine/Engine.h"
#include "engine/EngineClock.h"
#include "engine/PacketDriver.h"

class IConnectionSource;
class IFileDialogs;

struct TSimulatorContext {
  TEngine& Engine;
  ITimerFactory& Timers;
  QSettings& Store;
  // The parameters after the program's path.
  std::vector<std::string> Parameters;
  // The list position selected by default; position 0 when not given.
  std::function<int(const TTcpAdapterList&)> DefaultAdapterIndex;
  // The toolkit's file dialogs when not given.
  IFileDialogs* FileDialogs = nullptr;
  // The host's TCP connections when not given.
  IConnectionSource* Connections = nullptr;
};
