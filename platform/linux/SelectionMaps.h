#pragma once
// The maps the steal programs of one interception share: the rule they
// apply, the address sets it names, and the counts of what they let pass.
// The helper creates them with the programs; whoever holds the descriptors
// may write and read them without any privilege.
#include <cstdint>
#include <memory>

#include "common/FileDescriptor.h"
#include "engine/FrameSelection.h"
#include "platform/linux/KernelSelection.h"

class TSelectionMaps {
 public:
  TSelectionMaps() = default;
  TSelectionMaps(TFileDescriptor rule, TFileDescriptor addresses, TFileDescriptor passed);
  TSelectionMaps(TSelectionMaps&&) = default;
  TSelectionMaps& operator=(TSelectionMaps&&) = default;

  bool Valid() const { return FRule.Valid() && FAddresses.Valid() && FPassed.Valid(); }
  int RuleFd() const { return FRule.Get(); }
  int AddressesFd() const { return FAddresses.Get(); }
  int PassedFd() const { return FPassed.Get(); }

  // Makes the programs apply next. While the maps change, every frame goes
  // to the engine, so that no frame meets half an old and half a new rule.
  void Write(const TKernelSelection& next);
  // The sums over every processor.
  TKernelPassedCounts Passed() const;

 private:
  void WriteRule(const ot_rule& rule);
  void ReplaceAddresses(const TKernelSelection& next);

  TFileDescriptor FRule;
  TFileDescriptor FAddresses;
  TFileDescriptor FPassed;
  // What the maps hold now; nothing yet means the kernel's zeroes.
  std::unique_ptr<TKernelSelection> FWritten;
};
