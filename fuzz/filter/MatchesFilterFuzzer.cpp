// MatchesFilter on frame bytes of any content and length, with a rule, groups
// and local addresses drawn from the input: every protocol (also beyond the
// table), every address and port kind (also unknown ones), any VLAN and
// direction. The frame is either raw input bytes or starts with headers built
// from the input (Ethernet, optional tag, IPv4/IPv6/ARP/PPPoE, ports) so that
// the deep paths are reached quickly; then it is cut at a drawn length. Rule
// and group addresses may be copied from the frame, so that they can match.
// The frame lives in a buffer of exactly its length, so any read past it is
// caught.
//
// Each input runs twice: once with the rule made valid (right port counts,
// valid address versions), which must never throw; then with the rule as
// drawn, which may throw EAssertionFailed only if it is malformed in one of
// the ways the engine treats as a broken invariant. Any other exception aborts.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

#include "common/Assertion.h"
#include "filter/MatchesFilter.h"

namespace {

// The frame's two IP addresses as headers were built (for copying into rules).
struct TBuiltFrame {
  std::vector<uint8_t> Bytes;
  TIPAddr Source, Destination;
};

void Put16(std::vector<uint8_t>& f, uint16_t v) {
  f.push_back(static_cast<uint8_t>(v >> 8));
  f.push_back(static_cast<uint8_t>(v));
}

void PutBytes(FuzzedDataProvider& in, std::vector<uint8_t>& f, size_t n) {
  std::vector<uint8_t> b = in.ConsumeBytes<uint8_t>(n);
  b.resize(n);
  f.insert(f.end(), b.begin(), b.end());
}

TBuiltFrame DrawFrame(FuzzedDataProvider& in) {
  TBuiltFrame out;
  std::vector<uint8_t>& f = out.Bytes;
  const int kind = in.ConsumeIntegralInRange<int>(0, 5);  // 0: raw bytes only
  if (kind != 0) {
    PutBytes(in, f, 12);  // MAC addresses
    if (in.ConsumeBool()) {
      Put16(f, 0x8100);
      Put16(f, in.ConsumeIntegral<uint16_t>());
    }
    static const uint8_t kProtocols[] = {1, 6, 17, 47, 50, 51, 58, 0};
    const uint8_t protocol = in.ConsumeBool() ? kProtocols[in.ConsumeIntegralInRange<int>(0, 7)] : in.ConsumeIntegral<uint8_t>();
    switch (kind) {
      case 1: {  // IPv4
        Put16(f, 0x0800);
        const size_t net = f.size();
        f.push_back(static_cast<uint8_t>(0x40 | in.ConsumeIntegralInRange<int>(0, 15)));
        PutBytes(in, f, 8);
        f.push_back(protocol);
        PutBytes(in, f, 10);
        out.Source = TIPAddr::FromBytes(atIPv4, f.data() + net + 12);
        out.Destination = TIPAddr::FromBytes(atIPv4, f.data() + net + 16);
        f.resize(net + (f[net] & 0x0F) * 4u, 0);  // the ports after the header length
        PutBytes(in, f, 4);
        break;
      }
      case 2: {  // IPv6
        Put16(f, 0x86DD);
        const size_t net = f.size();
        PutBytes(in, f, 6);
        f.push_back(protocol);
        PutBytes(in, f, 33);
        out.Source = TIPAddr::FromBytes(atIPv6, f.data() + net + 8);
        out.Destination = TIPAddr::FromBytes(atIPv6, f.data() + net + 24);
        PutBytes(in, f, 4);
        break;
      }
      case 3:
        Put16(f, 0x0806);
        break;
      case 4:
        Put16(f, in.ConsumeBool() ? 0x8863 : 0x8864);
        break;
      default:
        Put16(f, in.ConsumeIntegral<uint16_t>());
        break;
    }
  }
  const size_t cut = in.ConsumeIntegralInRange<size_t>(0, f.size());
  f.resize(in.ConsumeBool() ? f.size() : cut);
  return out;
}

TIPAddr DrawAddress(FuzzedDataProvider& in, const TBuiltFrame& frame) {
  switch (in.ConsumeIntegralInRange<int>(0, 7)) {
    case 0:
      return frame.Source;
    case 1:
      return frame.Destination;
    default:
      break;
  }
  TIPAddr a;
  uint8_t ver = in.ConsumeIntegral<uint8_t>();
  // Mostly valid versions; now and then an invalid one (a malformed rule).
  a.Ver = static_cast<TAddrType>(ver % 16 == 15 ? ver : ver & 1);
  std::vector<uint8_t> bytes = in.ConsumeBytes<uint8_t>(a.Ver == atIPv4 ? 4 : 16);
  std::copy(bytes.begin(), bytes.end(), a.V6Addr.Byte);
  return a;
}

void DrawEndpoint(FuzzedDataProvider& in, const TBuiltFrame& frame, TFilterEndpoint& e) {
  e.AddrType = in.ConsumeIntegralInRange<uint8_t>(0, kFilterAddrTypeCount);  // one beyond the table
  e.Addr1 = DrawAddress(in, frame);
  e.Addr2 = DrawAddress(in, frame);
  std::vector<uint8_t> mac = in.ConsumeBytes<uint8_t>(6);
  std::copy(mac.begin(), mac.end(), e.Mac.FValue);
  e.GroupId = in.ConsumeIntegralInRange<int32_t>(-2, 4);
  e.PortType = in.ConsumeIntegralInRange<uint8_t>(0, kFilterPortTypeCount);
  e.Ports.resize(in.ConsumeIntegralInRange<size_t>(0, 4));
  for (uint16_t& p : e.Ports) p = in.ConsumeIntegral<uint16_t>();
}

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

  const TBuiltFrame built = DrawFrame(in);
  const TBuiltFrame& frame = built;
  TFilterSettings rule;
  rule.Enabled = true;
  rule.Protocol = in.ConsumeIntegralInRange<uint8_t>(0, kFilterProtocolCount + 1);
  rule.VlanId = in.ConsumeBool() ? 0 : in.ConsumeIntegralInRange<uint16_t>(0, 4097);
  const auto direction = static_cast<TTrafficDirection>(in.ConsumeIntegralInRange<uint8_t>(0, 2));
  DrawEndpoint(in, frame, rule.Source);
  DrawEndpoint(in, frame, rule.Destination);
  for (int g = in.ConsumeIntegralInRange<int>(0, 3); g > 0; --g) {
    TIPAddrList members;
    for (int m = in.ConsumeIntegralInRange<int>(0, 3); m > 0; --m) {
      TIPAddr a = DrawAddress(in, frame);
      if (!ValidVer(a)) a.Ver = atIPv6;  // groups hold only valid addresses
      members.Add(a);
    }
    rule.Groups.Add("g", members);
  }
  TIPAddrList locals;
  for (int m = in.ConsumeIntegralInRange<int>(0, 3); m > 0; --m) {
    TIPAddr a = DrawAddress(in, frame);
    if (!ValidVer(a)) a.Ver = atIPv4;
    locals.Add(a);
  }
  local.Replace(locals);
  std::vector<uint8_t> rest = in.ConsumeRemainingBytes<uint8_t>();
  const TExactFrame bytes(built.Bytes.empty() ? rest : built.Bytes);  // empty: a raw frame

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
