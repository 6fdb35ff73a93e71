#include "engine/NamedEvents.h"

std::shared_ptr<TAutoResetEvent> TNamedEvents::Open(const std::string& name) {
  std::lock_guard guard(FMutex);
  std::shared_ptr<TAutoResetEvent> event = FEvents[name].lock();
  if (!event) {
    event = std::make_shared<TAutoResetEvent>();
    FEvents[name] = event;
  }
  return event;
}
