// The steal program against MatchesFilter on the filter fuzzer's cases
// (FilterCaseDraw.h): the kernel may let a frame pass only where the engine
// would hand it back untouched, and must let every such frame pass unless
// it leaves the rule to the engine. Runs the program with BPF_PROG_TEST_RUN,
// so it needs the privilege to load programs (root).
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "fuzz/filter/FilterCaseDraw.h"
#include "tests/platform/linux/KernelMatcher.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Skipped, saying so, where programs cannot be loaded, as the tests that
  // need root are.
  static std::unique_ptr<TKernelMatcher> matcher = []() -> std::unique_ptr<TKernelMatcher> {
    if (::geteuid() != 0) {
      std::fprintf(stderr, "fuzz_kernel_match: skipped, loading programs needs root\n");
      return nullptr;
    }
    return std::make_unique<TKernelMatcher>();
  }();
  if (!matcher) return 0;
  FuzzedDataProvider in(data, size);
  const TFilterCase c = DrawFilterCase(in);
  const std::string wrong = KernelDisagreementEitherWay(*matcher, c.Rule, c.Direction, c.Local, c.Frame);
  if (!wrong.empty()) {
    std::fprintf(stderr, "%s\n", wrong.c_str());
    std::abort();
  }
  return 0;
}
