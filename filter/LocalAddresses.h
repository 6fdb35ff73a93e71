#pragma once
// The process-wide list of this host's own addresses, read by
// the filter's local-host test on every frame and refreshed by the engine's
// helper thread. Guarded by LocalAddressLock, the innermost of the engine's
// four locks: nothing here takes another lock while holding it.
#include <mutex>

#include "filter/IPUtil.h"

class TLocalAddresses {
 public:
  // The lock is owned by the engine's lock set and must outlive this object.
  explicit TLocalAddresses(std::recursive_mutex& localAddressLock);

  // Replaces the whole list (the helper thread, with the result of GetLocal).
  // Takes LocalAddressLock only for the swap: the copy is made before and the
  // old list is freed after, so the packet path is held up as little as possible.
  void Replace(const TIPAddrList& addresses);
  // Takes LocalAddressLock; linear scan in list order, stops at the first
  // equal entry, allocates nothing.
  bool Contains(const TIPAddr& address) const;
  // A copy of the current list, taken under LocalAddressLock.
  TIPAddrList Snapshot() const;

 private:
  std::recursive_mutex& FLock;
  TIPAddrList FAddresses;  // guarded by FLock
};
