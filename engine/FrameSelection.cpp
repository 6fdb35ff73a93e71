#include "engine/FrameSelection.h"

#include "engine/Engine.h"

void TEngine::PublishFrameSelection() {
  TFrameSelection selection;
  selection.EngineSeesAll = Bridging.load();
  {
    TLockGuard settings(Locks.SettingsLock);
    selection.Direction = Settings.Direction;
    selection.Filter = Settings.Filter;
  }
  // Outside the lock: the driver may take its time writing to the kernel.
  Driver.SelectFrames(selection);
}
