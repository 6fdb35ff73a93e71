#pragma once
// The helper's capabilities: it starts with CAP_NET_ADMIN, CAP_NET_RAW and
// CAP_BPF from its file (or with everything, run by root), keeps only those
// three as permitted and none as effective, and raises for each request only
// those the request needs, lowering them again afterwards.
#include <cstdint>
#include <string>

inline constexpr uint64_t kCapNetAdmin = 1ULL << 12;
inline constexpr uint64_t kCapNetRaw = 1ULL << 13;
inline constexpr uint64_t kCapBpf = 1ULL << 39;
inline constexpr uint64_t kHelperCapabilities = kCapNetAdmin | kCapNetRaw | kCapBpf;

// Reduces the permitted set to the helper's three and empties the effective,
// inheritable and ambient sets; no later exec may gain privileges. Returns
// the names of the helper's capabilities that the process does not have
// (empty when it has all three).
std::string RestrictToHelperCapabilities();

// Makes exactly these capabilities effective while it lives.
class TEffectiveCapabilities {
 public:
  explicit TEffectiveCapabilities(uint64_t capabilities);
  ~TEffectiveCapabilities();
  TEffectiveCapabilities(const TEffectiveCapabilities&) = delete;
  TEffectiveCapabilities& operator=(const TEffectiveCapabilities&) = delete;
};

// The effective set of this process, from the kernel.
uint64_t EffectiveCapabilities();
