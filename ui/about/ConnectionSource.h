#pragma once
// Where the connections list gets its connections from and how it cuts one:
// the machine's own table in the program, a fake in tests.
#include "platform/linux/NetStat.h"

class IConnectionSource {
 public:
  virtual ~IConnectionSource() = default;
  // Empties the snapshot and reads the established connections again.
  virtual void Reload() = 0;
  virtual int Count() const = 0;
  // Valid until the next Reload.
  virtual const TNetStatEntry& Entry(int index) const = 0;
  // Cuts the connection of an IPv4 entry; throws the system's error when it fails.
  virtual void Terminate(const TNetStatEntry& entry) = 0;
};
