// The frame road of a direction that replays a trace allocates nothing once
// its queue has grown: counted by replacing the global allocation functions
// for this test binary.

#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>

#include "settings/LinkTrace.h"
#include "tests/engine/EngineFixture.h"

namespace {
std::atomic<long> gAllocations{0};
}

// None of them inlined, so that the compiler does not pair the frame
// builder's allocations with malloc() and free() and warn about a mismatch
// that is not one.
[[gnu::noinline]] void* operator new(std::size_t size) {
  ++gAllocations;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
[[gnu::noinline]] void* operator new[](std::size_t size) { return operator new(size); }
// The standard library's temporary buffers use the non-throwing forms; they
// must come from the same malloc() as the rest, or a sanitizer's own
// operator new meets this free().
[[gnu::noinline]] void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  ++gAllocations;
  return std::malloc(size ? size : 1);
}
[[gnu::noinline]] void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
  return operator new(size, tag);
}
[[gnu::noinline]] void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
[[gnu::noinline]] void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
[[gnu::noinline]] void operator delete(void* p) noexcept { std::free(p); }
[[gnu::noinline]] void operator delete[](void* p) noexcept { std::free(p); }
[[gnu::noinline]] void operator delete(void* p, std::size_t) noexcept { std::free(p); }
[[gnu::noinline]] void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

class TraceRoad : public EngineFixture {
 protected:
  // A second of saturated trace link: frames in faster than the opportunities
  // let them out, with drops once the queue is full.
  void RunSecond(const std::vector<uint8_t>& big, const std::vector<uint8_t>& small) {
    for (int ms = 0; ms < 1000; ++ms) {
      for (int i = 0; i < 3; ++i) Dispatch(i == 1 ? small : big, false);
      Engine.RefillTokens(1);
      Engine.ReleaseRateQueues();
    }
  }
};

TEST_F(TraceRoad, AllocatesNothingPerFrame) {
  Driver.SetCollectFrames(false);
  Engine.Effects.SetEnabled(false);
  Engine.MaxQueueSize = 500;
  std::vector<uint32_t> timestamps;
  for (uint32_t ms = 1; ms <= 100; ++ms) timestamps.insert(timestamps.end(), ms % 3 == 0 ? 2 : 1, ms);
  TShapingRate rate("trace", 0, 0);
  rate.OutTrace = std::make_shared<const TLinkTrace>(std::move(timestamps));
  Model.SelectRate(rate);
  Apply(TSettingsPart::spRate);
  const std::vector<uint8_t> big = UdpFrame(1514), small = UdpFrame(200);
  RunSecond(big, small);  // the queue grows to its limit here
  ASSERT_GT(Engine.Counters().DroppedOut, 0u) << "the second must reach the queue limit";
  const long before = gAllocations;
  ASSERT_GT(before, 0) << "the counter sees the allocations of building the frames";
  const uint64_t sentBefore = Engine.Counters().SentOut;
  RunSecond(big, small);
  EXPECT_GT(Engine.Counters().SentOut, sentBefore + 1000);
  EXPECT_EQ(gAllocations - before, 0);
}

}  // namespace
