#pragma once
// tcx attach points and flags of kernels 6.6 and later, which older
// user-space headers (6.1) do not define yet.
#include <cstdint>

constexpr uint32_t kBpfTcxIngress = 46;
constexpr uint32_t kBpfTcxEgress = 47;
// Attach in front of every program already on the hook, so that no other
// program can end the chain before ours has seen the frame.
constexpr uint32_t kBpfFlagBefore = 1U << 3;
