#include "platform/linux/SelectionMaps.h"

#include <bpf/bpf.h>
#include <bpf/libbpf.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

namespace {

// Longer than any run of a program that read the old mode before it changed:
// they run to their end in a few microseconds, with bottom halves off.
constexpr auto kProgramsRunOut = std::chrono::milliseconds(1);

}  // namespace

TSelectionMaps::TSelectionMaps(TFileDescriptor rule, TFileDescriptor addresses, TFileDescriptor passed)
    : FRule(std::move(rule)), FAddresses(std::move(addresses)), FPassed(std::move(passed)) {}

void TSelectionMaps::WriteRule(const ot_rule& rule) {
  const uint32_t key = 0;
  if (bpf_map_update_elem(FRule.Get(), &key, &rule, BPF_ANY) != 0) ThrowSystemError("writing the kernel's rule");
}

void TSelectionMaps::ReplaceAddresses(const TKernelSelection& next) {
  const std::vector<ot_address_key> none;
  const std::vector<ot_address_key>& old = FWritten ? FWritten->Addresses : none;
  const uint8_t present = 1;
  // Both lists are sorted: one walk finds what goes and what comes.
  std::vector<ot_address_key> gone, added;
  std::set_difference(old.begin(), old.end(), next.Addresses.begin(), next.Addresses.end(), std::back_inserter(gone));
  std::set_difference(next.Addresses.begin(), next.Addresses.end(), old.begin(), old.end(), std::back_inserter(added));
  for (const ot_address_key& key : gone)
    if (bpf_map_delete_elem(FAddresses.Get(), &key) != 0 && errno != ENOENT)
      ThrowSystemError("removing an address from the kernel's sets");
  for (const ot_address_key& key : added)
    if (bpf_map_update_elem(FAddresses.Get(), &key, &present, BPF_ANY) != 0)
      ThrowSystemError("adding an address to the kernel's sets");
}

void TSelectionMaps::Write(const TKernelSelection& next) {
  if (FWritten && std::memcmp(&FWritten->Rule, &next.Rule, sizeof next.Rule) == 0 &&
      FWritten->Addresses == next.Addresses)
    return;
  // First every frame to the engine: only the mode changes, and programs
  // that saw the old mode finish before anything else does.
  if (FWritten && FWritten->Rule.mode != OT_STEAL_ALL) {
    auto stealing = std::make_unique<ot_rule>(FWritten->Rule);
    stealing->mode = OT_STEAL_ALL;
    WriteRule(*stealing);
    std::this_thread::sleep_for(kProgramsRunOut);
  }
  auto written = std::make_unique<TKernelSelection>();
  written->Rule = next.Rule;
  written->Rule.mode = OT_STEAL_ALL;
  WriteRule(written->Rule);
  ReplaceAddresses(next);
  written->Addresses = next.Addresses;
  written->Fallback = next.Fallback;
  FWritten = std::move(written);
  // Then the new rule, again by the mode alone.
  if (next.Rule.mode != OT_STEAL_ALL) {
    WriteRule(next.Rule);
    FWritten->Rule.mode = next.Rule.mode;
  }
}

TKernelPassedCounts TSelectionMaps::Passed() const {
  const int cpus = libbpf_num_possible_cpus();
  if (cpus <= 0) return {};
  std::vector<ot_passed> values(static_cast<size_t>(cpus));
  TKernelPassedCounts counts;
  for (uint32_t key : {0u, 1u}) {
    if (bpf_map_lookup_elem(FPassed.Get(), &key, values.data()) != 0) ThrowSystemError("reading the kernel's counts");
    uint64_t frames = 0, bytes = 0;
    for (const ot_passed& value : values) {
      frames += value.frames;
      bytes += value.bytes;
    }
    (key == 0 ? counts.FramesIn : counts.FramesOut) = frames;
    (key == 0 ? counts.BytesIn : counts.BytesOut) = bytes;
  }
  return counts;
}
