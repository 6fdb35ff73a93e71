#pragma once
// The direction setting and the filter rule in the form the steal programs
// read them (bpf/SelectionLayout.h). Where the kernel could not decide a
// frame exactly as the engine does, the form says so and the programs hand
// every frame to the engine.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/FrameSelection.h"
#include "filter/IPUtil.h"
#include "platform/linux/bpf/SelectionLayout.h"

struct TKernelSelection {
  // mode OT_STEAL_ALL, or OT_DECIDE with the rule filled in.
  ot_rule Rule{};
  // The local addresses and the members of the groups the rule names, in
  // the order of their bytes, without repeats.
  std::vector<ot_address_key> Addresses;
  // Why every frame goes to the engine; empty when the kernel decides.
  std::string Fallback;
};

// The kernel's form of the selection. local is the host's address list as
// the engine has it, or nullptr while the engine has not said.
std::unique_ptr<TKernelSelection> TranslateSelection(const TFrameSelection& selection, const TIPAddrList* local);

// The form that hands every frame to the engine.
std::unique_ptr<TKernelSelection> StealEverySelection(const std::string& why);

bool operator<(const ot_address_key& a, const ot_address_key& b);
bool operator==(const ot_address_key& a, const ot_address_key& b);
