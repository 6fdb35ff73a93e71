#pragma once
// A process-local registry of named auto-reset events: the first to open a
// name creates its event, later ones share it.

#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "engine/Event.h"

class TNamedEvents {
 public:
  std::shared_ptr<TAutoResetEvent> Open(const std::string& name);

 private:
  std::mutex FMutex;
  std::map<std::string, std::weak_ptr<TAutoResetEvent>> FEvents;
};
