#pragma once
// One filter case drawn from fuzzer input: a frame of any content and
// length, a rule with its groups, a direction and the local addresses. The
// frame is either raw input bytes or starts with headers built from the
// input (Ethernet, optional tag, IPv4/IPv6/ARP/PPPoE, ports) so that the
// deep paths are reached quickly; then it is cut at a drawn length. Rule and
// group addresses may be copied from the frame, so that they can match.
// Shared by the filter fuzzers and the test that replays their corpus.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "common/TrafficDirection.h"
#include "filter/FilterSettings.h"

namespace filter_case {

// The frame's two IP addresses as headers were built (for copying into rules).
struct TBuiltFrame {
  std::vector<uint8_t> Bytes;
  TIPAddr Source, Destination;
};

inline void Put16(std::vector<uint8_t>& f, uint16_t v) {
  f.push_back(static_cast<uint8_t>(v >> 8));
  f.push_back(static_cast<uint8_t>(v));
}

inline void PutBytes(FuzzedDataProvider& in, std::vector<uint8_t>& f, size_t n) {
  std::vector<uint8_t> b = in.ConsumeBytes<uint8_t>(n);
  b.resize(n);
  f.insert(f.end(), b.begin(), b.end());
}

inline TBuiltFrame DrawFrame(FuzzedDataProvider& in) {
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

inline TIPAddr DrawAddress(FuzzedDataProvider& in, const TBuiltFrame& frame) {
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

inline void DrawEndpoint(FuzzedDataProvider& in, const TBuiltFrame& frame, TFilterEndpoint& e) {
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

}  // namespace filter_case

struct TFilterCase {
  std::vector<uint8_t> Frame;
  TFilterSettings Rule;  // Enabled, and possibly malformed
  TTrafficDirection Direction = TTrafficDirection::tdBoth;
  TIPAddrList Local;
};

inline TFilterCase DrawFilterCase(FuzzedDataProvider& in) {
  using namespace filter_case;
  TFilterCase c;
  const TBuiltFrame frame = DrawFrame(in);
  TFilterSettings& rule = c.Rule;
  rule.Enabled = true;
  rule.Protocol = in.ConsumeIntegralInRange<uint8_t>(0, kFilterProtocolCount + 1);
  rule.VlanId = in.ConsumeBool() ? 0 : in.ConsumeIntegralInRange<uint16_t>(0, 4097);
  c.Direction = static_cast<TTrafficDirection>(in.ConsumeIntegralInRange<uint8_t>(0, 2));
  DrawEndpoint(in, frame, rule.Source);
  DrawEndpoint(in, frame, rule.Destination);
  for (int g = in.ConsumeIntegralInRange<int>(0, 3); g > 0; --g) {
    TIPAddrList members;
    for (int m = in.ConsumeIntegralInRange<int>(0, 3); m > 0; --m) {
      TIPAddr a = DrawAddress(in, frame);
      if (a.Ver != atIPv4 && a.Ver != atIPv6) a.Ver = atIPv6;  // groups hold only valid addresses
      members.Add(a);
    }
    rule.Groups.Add("g", members);
  }
  for (int m = in.ConsumeIntegralInRange<int>(0, 3); m > 0; --m) {
    TIPAddr a = DrawAddress(in, frame);
    if (a.Ver != atIPv4 && a.Ver != atIPv6) a.Ver = atIPv4;
    c.Local.Add(a);
  }
  std::vector<uint8_t> rest = in.ConsumeRemainingBytes<uint8_t>();
  c.Frame = frame.Bytes.empty() ? rest : frame.Bytes;  // empty: a raw frame
  return c;
}
