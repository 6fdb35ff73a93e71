// The helper as the program meets it, over its socket pair, in a namespace
// of the test's own (run by root, so it starts with every capability and
// keeps its three): what it refuses to intercept, and whose the
// interceptions it builds are.
#include <gtest/gtest.h>
#include <net/if.h>
#include <unistd.h>

#include "platform/linux/HelperClient.h"
#include "platform/linux/TcAttachment.h"
#include "tests/platform/linux/NetnsLab.h"

namespace {

const std::string kHelper = OT_HELPER_PATH;

std::string Refusal(THelperClient& client, uint32_t adapter) {
  std::vector<TFileDescriptor> fds;
  try {
    client.Ask({THelperRequestKind::Intercept, adapter, 3, THelperAttach::Auto}, fds);
  } catch (const std::exception& error) {
    EXPECT_TRUE(fds.empty());
    return error.what();
  }
  return "granted";
}

class HelperService : public testing::Test {
 protected:
  void SetUp() override {
    OT_REQUIRE_NETNS();
    FLab = std::make_unique<TNetnsLab>();
    FLab->AddHostAndPeer(FHost, FPeer);
    FInside = std::make_unique<TNetnsEnter>(FHost);  // the helpers start in here
    FAdapter = ::if_nametoindex("h0");
  }
  void TearDown() override {
    FInside.reset();
    FLab.reset();
  }

  std::unique_ptr<TNetnsLab> FLab;
  std::string FHost, FPeer;
  std::unique_ptr<TNetnsEnter> FInside;
  uint32_t FAdapter = 0;
};

TEST_F(HelperService, RefusesAdaptersItMustNotInterceptAndNamesTheHolder) {
  auto first = std::make_shared<THelperClient>(kHelper);
  THelperInterceptionSource source(first, THelperAttach::Auto);
  TInterceptionParts held = source.Intercept(FAdapter, 3);
  ASSERT_EQ(HookProgramIds(FAdapter).size(), 2u);

  // A second program with a helper of its own, as another instance has.
  THelperClient second(kHelper);
  const struct {
    const char* Name;
    uint32_t Adapter;
    std::string Expected;
  } cases[] = {
      {"an adapter another program holds", FAdapter,
       "The adapter h0 is already intercepted by another running instance of Ovelda Tarnwick (process " +
           std::to_string(::getpid()) + ")"},
      {"the holder's own TAP", held.In.Index(), "The device " + held.In.Name() + " belongs to an interception"},
      {"an index no adapter has", 999999, "No network adapter has index 999999"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_NE(Refusal(second, c.Adapter).find(c.Expected), std::string::npos) << Refusal(second, c.Adapter);
  }
  EXPECT_NE(Refusal(*first, FAdapter).find("already intercepted"), std::string::npos);
  EXPECT_EQ(HookProgramIds(FAdapter).size(), 2u) << "the refusals left the holder's hooks alone";
}

TEST_F(HelperService, HandsOverTcxLinksOrKeepsClsBpfFiltersUntilReleased) {
  auto client = std::make_shared<THelperClient>(kHelper);
  if (client->KernelAttach() != THelperAttach::Tcx) GTEST_SKIP() << "the kernel has no tcx";
  {
    THelperInterceptionSource source(client, THelperAttach::Tcx);
    TInterceptionParts parts = source.Intercept(FAdapter, 3);
    EXPECT_EQ(parts.Hooks.size(), 3u) << "the way back and both of the adapter's hooks";
    EXPECT_EQ(TcxProgramCount(FAdapter, 46), 1u);
    EXPECT_EQ(TcxProgramCount(FAdapter, 47), 1u);
  }
  // The helper drops its own copies once an answer is out, before it reads
  // the next request: after the next answer, ours were the last.
  std::vector<TFileDescriptor> none;
  client->Ask({THelperRequestKind::Hello}, none);
  EXPECT_TRUE(HookProgramIds(FAdapter).empty()) << "the links went with our descriptors";
  {
    THelperInterceptionSource source(client, THelperAttach::ClsBpf);
    TInterceptionParts parts = source.Intercept(FAdapter, 3);
    EXPECT_TRUE(parts.Hooks.empty()) << "cls_bpf filters have no descriptors to hand over";
    EXPECT_NE(ClsBpfProgramId(FAdapter, TTcAttachPoint::Ingress), 0u);
    EXPECT_NE(ClsBpfProgramId(FAdapter, TTcAttachPoint::Egress), 0u);
  }
  EXPECT_TRUE(HookProgramIds(FAdapter).empty()) << "releasing the parts asked the helper to remove its filters";
}

}  // namespace
