#include "filter/LocalAddresses.h"

#include <utility>

TLocalAddresses::TLocalAddresses(std::recursive_mutex& localAddressLock) : FLock(localAddressLock) {}

void TLocalAddresses::Replace(const TIPAddrList& addresses) {
  TIPAddrList fresh = addresses;
  {
    std::lock_guard guard(FLock);
    std::swap(FAddresses, fresh);
  }
  // fresh now holds the old list and is freed here, outside the lock.
}

bool TLocalAddresses::Contains(const TIPAddr& address) const {
  std::lock_guard guard(FLock);
  for (const TIPAddr& local : FAddresses)
    if (local == address) return true;
  return false;
}

TIPAddrList TLocalAddresses::Snapshot() const {
  std::lock_guard guard(FLock);
  return FAddresses;
}
