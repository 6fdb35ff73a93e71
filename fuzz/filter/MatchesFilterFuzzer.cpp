// MatchesFilter on frame bytes of any content and length, with a rule, groups
// and local addresses drawn from the input (FilterCaseDraw.h): every protocol
// (also beyond the table), every address and port kind (also unknown ones),
// any VLAN and direction. The frame lives in a buffer of exactly its length,
// so any read past it is caught.
//
// Each input runs twice: once with the rule made valid (right port counts,
// valid address versions), which must never throw; then with the rule as
// drawn, which may throw EAssertionFailed only if it is malformed in one of
// the ways the engine treats as a broken invariant. Any other exception aborts.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <vector>

#include "common/Assertion.h"
#include "filter/MatchesFilter.h"
#include "fuzz/filter/FilterCaseDraw.h"

namespace {

bool ValidVer(const TIPAddr& a) { return a.Ver == atIPv4 || a.Ver == atIPv6; }

// The ways a rule can make MatchesFilter fail with an assertion.
bool IsMalformed(const TFilterEndpoint& e) {
  return !ValidVer(e.Addr1) || !ValidVer(e.Addr2) || (e.PortType == ptSingle && e.Ports.size() != 1) ||
         (e.PortType == ptRange && e.Ports.size() != 2);
}

void MakeValid(TFilterEndpoint& e) {
  if (!ValidVer(e.Addr1)) e.Addr1.Ver = atIPv4;
  if (!ValidVer(e.Addr2)) e.Addr2.Ver = atIPv6;
  if (e.PortType == ptSingle) e.Ports.resize(1);
  if (e.PortType == ptRange) e.Ports.resize(2);
}

// The frame in a heap block of exactly its length.
struct TExactFrame {
  explicit TExactFrame(const std::vector<uint8_t>& bytes) : Data(new uint8_t[bytes.size()]), Length(bytes.size()) {
    std::copy(bytes.begin(), bytes.end(), Data.get());
  }
  std::unique_ptr<uint8_t[]> Data;
  size_t Length;
};

bool Match(const TFilterSettings& f, TTrafficDirection d, const TExactFrame& frame, const TLocalAddresses& local) {
  return MatchesFilter(f, d, frame.Data.get(), static_cast<uint32_t>(frame.Length), local);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  static std::recursive_mutex lock;
  static TLocalAddresses local(lock);

  const TFilterCase drawn = DrawFilterCase(in);
  const TFilterSettings& rule = drawn.Rule;
  const TTrafficDirection direction = drawn.Direction;
  local.Replace(drawn.Local);
  const TExactFrame bytes(drawn.Frame);
  // The valid rule: must never throw.
  TFilterSettings valid = rule;
  MakeValid(valid.Source);
  MakeValid(valid.Destination);
  const bool incoming = Match(valid, TTrafficDirection::tdIncoming, bytes, local);
  const bool outgoing = Match(valid, TTrafficDirection::tdOutgoing, bytes, local);
  const bool both = Match(valid, TTrafficDirection::tdBoth, bytes, local);
  // Only tdBoth adds the exchanged sides; the one-way directions agree.
  if (incoming != outgoing || (incoming && !both)) std::abort();
  // A rule that examines nothing matches even the empty frame.
  if (valid.VlanId == 0 && valid.Protocol == fpAny && !both) std::abort();
  // No EtherType, nothing else to go by.
  if (bytes.Length < 14 && both && !(valid.VlanId == 0 && valid.Protocol == fpAny)) std::abort();

  // The rule as drawn: an assertion only for a malformed one.
  try {
    const bool result = Match(rule, direction, bytes, local);
    if (!IsMalformed(rule.Source) && !IsMalformed(rule.Destination) &&
        result != Match(valid, direction, bytes, local))
      std::abort();
  } catch (const EAssertionFailed&) {
    if (!IsMalformed(rule.Source) && !IsMalformed(rule.Destination)) std::abort();
  }
  return 0;
}
