#include "filter/IPUtil.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <ifaddrs.h>

#include <array>
#include <random>
#include <string>
#include <vector>

#include "common/Assertion.h"

namespace {

using TGroups = std::array<uint16_t, 8>;

TIn6_addr FromGroups(const TGroups& g) {
  TIn6_addr a;
  for (int i = 0; i < 8; ++i) a.SetGroup(i, g[i]);
  return a;
}

TGroups ToGroups(const TIn6_addr& a) {
  TGroups g;
  for (int i = 0; i < 8; ++i) g[i] = a.Group(i);
  return g;
}

TIPAddr V4(const char* text) {
  in_addr a{};
  EXPECT_EQ(inet_pton(AF_INET, text, &a), 1) << text;
  return TIPAddr::Create(a.s_addr);
}

TIPAddr V6(const char* text) {
  uint8_t b[16];
  EXPECT_EQ(inet_pton(AF_INET6, text, b), 1) << text;
  return TIPAddr::FromBytes(atIPv6, b);
}

TIPAddr BadVer() {
  TIPAddr a;
  a.Ver = static_cast<TAddrType>(2);
  return a;
}

// ---------------------------------------------------------------- StrToIPv6

struct TStrToIPv6Case {
  const char* Text;
  bool Ok;
  TGroups Groups;  // the output also after a failure
};

const TStrToIPv6Case kStrToIPv6Cases[] = {
    {"::", true, {0, 0, 0, 0, 0, 0, 0, 0}},
    {"::1", true, {0, 0, 0, 0, 0, 0, 0, 1}},
    {"1::", true, {1, 0, 0, 0, 0, 0, 0, 0}},
    {"fe80::1", true, {0xfe80, 0, 0, 0, 0, 0, 0, 1}},
    {"FE80::ABCD", true, {0xfe80, 0, 0, 0, 0, 0, 0, 0xabcd}},
    {"1:2:3:4:5:6:7:8", true, {1, 2, 3, 4, 5, 6, 7, 8}},
    {"2001:db8::1:0:0:1", true, {0x2001, 0xdb8, 0, 0, 1, 0, 0, 1}},
    {"1:2:3:4:5:6:7::", true, {1, 2, 3, 4, 5, 6, 7, 0}},
    {"::2:3:4:5:6:7:8", true, {0, 2, 3, 4, 5, 6, 7, 8}},
    {"1:2:3:4:5:6:7:8::", false, {}},  // nine counted items
    {"::1:2:3:4:5:6:7:8", false, {}},
    {"1:2:3:4:5:6:7:8:9", false, {}},
    {"1:2:3:4:5:6:7:8:", false, {}},  // a single colon at the end is an item
    {"", false, {}},
    {"   ", false, {}},
    {"12345::", true, {0x2345, 0, 0, 0, 0, 0, 0, 0}},  // above FFFF keeps the low 16 bits
    {"ffffffff::", true, {0xffff, 0, 0, 0, 0, 0, 0, 0}},
    {"000000001::", true, {1, 0, 0, 0, 0, 0, 0, 0}},  // leading zeros stay in the 32-bit range
    {"100000000::", false, {}},                       // beyond 32 bits
    {"1:g::", false, {1, 0, 0, 0, 0, 0, 0, 0}},       // groups stored before the failure stay
    {"1:2::x:5", false, {1, 2, 0, 0, 0, 0, 0, 5}},    // also those of the backward walk
    {"-1::", false, {}},
    {"0x1::", false, {}},
    {"::ffff:1.2.3.4", false, {}},  // no dotted tail
    // Quirks of the two walks: items between them are not read, and a text
    // without an empty item needs no eight groups.
    {"1::2::3", true, {1, 0, 0, 0, 0, 0, 0, 3}},
    {"1::zz::3", true, {1, 0, 0, 0, 0, 0, 0, 3}},
    {"1:::2", true, {1, 0, 0, 0, 0, 0, 0, 2}},
    {"1:2", true, {1, 2, 0, 0, 0, 0, 0, 0}},
    {":", true, {}},
    {":1:2", true, {0, 0, 0, 0, 0, 0, 1, 2}},
    // Blanks around the text are ignored, blanks inside are not hex digits.
    {" ::1\t", true, {0, 0, 0, 0, 0, 0, 0, 1}},
    {":: 1", false, {}},
    {"1 ::", false, {}},
};

TEST(StrToIPv6, Table) {
  for (const TStrToIPv6Case& c : kStrToIPv6Cases) {
    TIn6_addr a;
    a.SetGroup(3, 0x7777);  // the parser must zero the output first
    EXPECT_EQ(StrToIPv6(c.Text, a), c.Ok) << '"' << c.Text << '"';
    EXPECT_EQ(ToGroups(a), c.Groups) << '"' << c.Text << '"';
  }
}

TEST(StrToIPv6, EmbeddedNulIsNotHex) {
  TIn6_addr a;
  EXPECT_FALSE(StrToIPv6(std::string_view("::1\0", 4), a));
}

// ---------------------------------------------------------------- IPv6ToStr

struct TIPv6ToStrCase {
  TGroups Groups;
  const char* Text;
};

const TIPv6ToStrCase kIPv6ToStrCases[] = {
    {{0, 0, 0, 0, 0, 0, 0, 0}, "::"},
    {{0, 0, 0, 0, 0, 0, 0, 1}, "::1"},
    {{0xfe80, 0, 0, 0, 0, 0, 0, 1}, "fe80::1"},
    {{1, 0, 0, 0, 0, 0, 0, 0}, "1::"},
    {{1, 0, 2, 3, 4, 5, 6, 7}, "1::2:3:4:5:6:7"},  // a single zero group is compressed
    {{1, 0, 0, 2, 0, 0, 0, 3}, "1:0:0:2::3"},       // the longest run wins
    {{2001, 0, 0, 1, 0, 0, 1, 1}, "7d1::1:0:0:1:1"},
    {{0x2001, 0xdb8, 0, 0, 1, 0, 0, 1}, "2001:db8::1:0:0:1"},  // the first of equal runs wins
    {{1, 2, 3, 4, 5, 6, 7, 0}, "1:2:3:4:5:6:7::"},
    {{0, 1, 2, 3, 4, 5, 6, 7}, "::1:2:3:4:5:6:7"},
    {{1, 2, 3, 4, 5, 6, 7, 8}, "1:2:3:4:5:6:7:8"},
    {{0xABCD, 0xEF01, 0x10, 0x100, 0x1000, 0xFFFF, 0x0F, 0xF0}, "abcd:ef01:10:100:1000:ffff:f:f0"},
};

TEST(IPv6ToStr, Table) {
  for (const TIPv6ToStrCase& c : kIPv6ToStrCases) EXPECT_EQ(IPv6ToStr(FromGroups(c.Groups)), c.Text);
}

// Every pattern of zero groups, with random other groups: the printed text
// parses back to the same bytes, by our parser and by inet_pton.
TEST(IPv6ToStr, RoundTripsEveryZeroPattern) {
  std::mt19937 random(42);
  for (int mask = 0; mask < 256; ++mask) {
    for (int trial = 0; trial < 4; ++trial) {
      TGroups g;
      for (int i = 0; i < 8; ++i) g[i] = (mask >> i & 1) ? 0 : static_cast<uint16_t>(1 + random() % 0xFFFF);
      TIn6_addr a = FromGroups(g);
      std::string text = IPv6ToStr(a);
      TIn6_addr back;
      ASSERT_TRUE(StrToIPv6(text, back)) << text;
      EXPECT_EQ(back, a) << text;
      uint8_t system[16];
      ASSERT_EQ(inet_pton(AF_INET6, text.c_str(), system), 1) << text;
      EXPECT_EQ(std::memcmp(system, a.Byte, 16), 0) << text;
    }
  }
}

TEST(TIn6_addr, ViewsShareTheBytes) {
  TIn6_addr a;
  for (int i = 0; i < 16; ++i) a.Byte[i] = static_cast<uint8_t>(i + 1);
  uint16_t w;
  std::memcpy(&w, a.Byte + 2, 2);
  EXPECT_EQ(a.Word(1), w);  // network order, as stored
  EXPECT_EQ(ntohs(a.Word(1)), 0x0304);
  EXPECT_EQ(a.Group(1), 0x0304);
  EXPECT_EQ(ntohl(a.LongWord(3)), 0x0D0E0F10u);
  uint64_t lo, hi;
  std::memcpy(&lo, a.Byte, 8);
  std::memcpy(&hi, a.Byte + 8, 8);
  EXPECT_EQ(a.Lo(), lo);
  EXPECT_EQ(a.Hi(), hi);
  EXPECT_EQ(a.UInt64(0), lo);
  a.SetWord(0, htons(0xfe80));
  EXPECT_EQ(a.Byte[0], 0xfe);
  EXPECT_EQ(a.Byte[1], 0x80);
}

// ---------------------------------------------------------------- IPv4

struct TStrToIPv4Case {
  const char* Text;
  bool Ok;
  std::array<uint8_t, 4> Bytes;
};

const TStrToIPv4Case kStrToIPv4Cases[] = {
    {"192.168.1.10", true, {0xC0, 0xA8, 0x01, 0x0A}},
    {"10.0.0.1", true, {10, 0, 0, 1}},
    {"0.0.0.1", true, {0, 0, 0, 1}},
    {"255.255.255.254", true, {255, 255, 255, 254}},
    {"0.0.0.0", false, {}},
    {"255.255.255.255", false, {}},
    {"", false, {}},
    {"abc", false, {}},
    {"256.1.1.1", false, {}},
    {"1.2.3.4.5", false, {}},
    // inet_addr's shorter and radix forms
    {"1.2.3", true, {1, 2, 0, 3}},
    {"0x0A.0.0.1", true, {10, 0, 0, 1}},
    {"012.0.0.1", true, {10, 0, 0, 1}},
    // blanks: around the text ignored, inside refused (inet_addr would accept a prefix)
    {" 10.0.0.1\t", true, {10, 0, 0, 1}},
    {"10.0.0.1 x", false, {}},
    {"10.0. 0.1", false, {}},
};

TEST(StrToIPv4, Table) {
  for (const TStrToIPv4Case& c : kStrToIPv4Cases) {
    uint32_t a = 0x5A5A5A5A;
    ASSERT_EQ(StrToIPv4(c.Text, a), c.Ok) << '"' << c.Text << '"';
    if (c.Ok) {
      EXPECT_EQ(std::memcmp(&a, c.Bytes.data(), 4), 0) << c.Text;
    }
  }
  uint32_t a;
  EXPECT_FALSE(StrToIPv4(std::string_view("10.0.0.1\0", 9), a));
}

TEST(IPv4ToStr, DottedDecimal) {
  EXPECT_EQ(IPv4ToStr(V4("192.168.0.1").V4Addr), "192.168.0.1");
  EXPECT_EQ(IPv4ToStr(V4("10.0.0.255").V4Addr), "10.0.0.255");
  EXPECT_EQ(IPv4ToStr(0), "0.0.0.0");
  EXPECT_EQ(IPAddrToStr(V4("1.2.3.4")), "1.2.3.4");
  EXPECT_EQ(IPAddrToStr(V6("fe80::1")), "fe80::1");
  EXPECT_EQ(IPAddrToStr(TIPAddr()), "0.0.0.0");
}

// ---------------------------------------------------------------- MAC

struct TStrToHWAddrCase {
  const char* Text;
  bool Ok;
  std::array<uint8_t, 6> Bytes;  // also after a failure
};

const TStrToHWAddrCase kStrToHWAddrCases[] = {
    {"00-1A-2B-3C-4D-5E", true, {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E}},
    {"00:1a:2b:3c:4d:5e", true, {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E}},
    {"001A2B3C4D5E", true, {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E}},
    {"0:01:A2:B3:C4:D5E", true, {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E}},  // separators anywhere
    {"--::001A2B3C4D5E::--", true, {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E}},
    {"ffffffffffff", true, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
    {" 001A2B3C4D5E ", true, {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E}},
    {"00-1A-2B-3C-4D", false, {}},
    {"001A.2B3C.4D5E", false, {}},
    {"001A2B3C4D5E00", false, {}},
    {"", false, {}},
    {"00-1A-2B-3C-4D-ZZ", false, {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x00}},  // bytes before the failure stay
    {"0G1A2B3C4D5E", false, {}},
    {"00 1A2B3C4D5", false, {}},
};

TEST(StrToHWAddr, Table) {
  for (const TStrToHWAddrCase& c : kStrToHWAddrCases) {
    THWAddr a;
    a.FValue[5] = 0x77;
    EXPECT_EQ(StrToHWAddr(c.Text, a), c.Ok) << '"' << c.Text << '"';
    EXPECT_EQ(std::memcmp(a.FValue, c.Bytes.data(), 6), 0) << '"' << c.Text << '"';
    // Create gives the same bytes, success or not.
    EXPECT_EQ(THWAddr::Create(c.Text), a) << c.Text;
  }
}

TEST(HWAddrToStr, UpperCaseWithoutSeparators) {
  EXPECT_EQ(HWAddrToStr(THWAddr()), "000000000000");
  EXPECT_EQ(HWAddrToStr(THWAddr::Create("00-1a-2b-3c-4d-5e")), "001A2B3C4D5E");
  EXPECT_EQ(HWAddrToStr(THWAddr::Create("FF:EE:DD:CC:BB:AA")), "FFEEDDCCBBAA");
  EXPECT_NE(THWAddr::Create("001A2B3C4D5E"), THWAddr::Create("001A2B3C4D5F"));
}

// ---------------------------------------------------------------- comparison

TEST(TIPAddr, CreateAndClear) {
  TIPAddr a = V6("ffff::ffff");
  a.Clear();
  EXPECT_EQ(a.Ver, atIPv4);
  EXPECT_EQ(a.V4Addr, 0u);
  for (uint8_t b : a.V6Addr.Byte) EXPECT_EQ(b, 0);
  TIPAddr v4 = TIPAddr::Create(V4("1.2.3.4").V4Addr);
  for (int i = 4; i < 16; ++i) EXPECT_EQ(v4.V6Addr.Byte[i], 0);  // starts from the all-zero record
  EXPECT_EQ(TIPAddr::Create(V6("::1").V6Addr).Ver, atIPv6);
}

struct TEqualCase {
  TIPAddr A, B;
  bool Equal;
};

TEST(TIPAddr, Equality) {
  const TEqualCase cases[] = {
      {V4("10.0.0.1"), V4("10.0.0.1"), true},
      {V4("10.0.0.1"), V4("10.0.0.2"), false},
      {V6("fe80::1"), V6("fe80::1"), true},
      {V6("fe80::1"), V6("fe80::2"), false},
      {V6("1::"), V6("2::"), false},
      {V4("1.2.3.4"), V6("::ffff:1.2.3.4"), false},  // not even IPv4-mapped
      {V4("0.0.0.0"), V6("::"), false},
      {TIPAddr(), TIPAddr(), true},
  };
  for (const TEqualCase& c : cases) {
    EXPECT_EQ(c.A == c.B, c.Equal) << IPAddrToStr(c.A) << " " << IPAddrToStr(c.B);
    EXPECT_EQ(c.B == c.A, c.Equal);
    EXPECT_EQ(c.A != c.B, !c.Equal);
  }
}

struct TRangeCase {
  TIPAddr X, Lo, Hi;
  bool In;
};

TEST(TIPAddr, InRange) {
  const TRangeCase cases[] = {
      {V4("10.0.0.5"), V4("10.0.0.1"), V4("10.0.0.5"), true},
      {V4("10.0.0.1"), V4("10.0.0.1"), V4("10.0.0.5"), true},
      {V4("10.0.0.5"), V4("10.0.0.6"), V4("10.0.0.9"), false},
      {V4("9.255.255.255"), V4("10.0.0.0"), V4("10.255.255.255"), false},
      {V4("11.0.0.0"), V4("10.0.0.0"), V4("10.255.255.255"), false},
      {V4("10.1.0.0"), V4("10.0.0.0"), V4("10.255.255.255"), true},
      {V4("1.0.0.2"), V4("2.0.0.1"), V4("2.0.0.3"), false},  // on the stored bytes it would be inside
      {V4("10.0.0.5"), V4("10.0.0.9"), V4("10.0.0.1"), false},  // lo above hi: empty
      {V4("10.0.0.5"), V6("::"), V6("ffff::"), false},
      {V6("::a00:5"), V4("10.0.0.1"), V4("10.0.0.9"), false},
      {V4("10.0.0.5"), V4("10.0.0.1"), V6("ffff::"), false},
      {V6("2001:db8::5"), V6("2001:db8::1"), V6("2001:db8::5"), true},
      {V6("2001:db8::6"), V6("2001:db8::1"), V6("2001:db8::5"), false},
      {V6("2001:db8:0:1::"), V6("2001:db8::"), V6("2001:db8:0:0:ffff:ffff:ffff:ffff"), false},  // upper half decides
      {V6("2001:db8::ffff"), V6("2001:db8::1"), V6("2001:db8:0:1::"), true},
      {V6("::8000:0:0:0"), V6("::1"), V6("::ffff:ffff:ffff:ffff"), true},  // lower half compared unsigned
      {V6("::"), V6("::"), V6("::"), true},
      {V6("ffff:ffff:ffff:ffff:ffff:ffff:ffff:ffff"), V6("::"), V6("ffff:ffff:ffff:ffff:ffff:ffff:ffff:ffff"), true},
  };
  for (const TRangeCase& c : cases)
    EXPECT_EQ(c.X.InRange(c.Lo, c.Hi), c.In)
        << IPAddrToStr(c.X) << " in " << IPAddrToStr(c.Lo) << " - " << IPAddrToStr(c.Hi);
}

TEST(IsBroadcast, LastOctetOnly) {
  EXPECT_TRUE(IsBroadcast(V4("192.168.1.255")));
  EXPECT_TRUE(IsBroadcast(V4("10.0.0.255")));
  EXPECT_TRUE(IsBroadcast(V4("255.255.255.255")));
  EXPECT_TRUE(IsBroadcast(V4("1.2.3.255")));
  EXPECT_FALSE(IsBroadcast(V4("10.0.1.254")));
  EXPECT_FALSE(IsBroadcast(V4("255.10.10.10")));
  EXPECT_FALSE(IsBroadcast(V6("ff02::1")));
  EXPECT_FALSE(IsBroadcast(V6("ffff:ffff:ffff:ffff:ffff:ffff:ffff:ffff")));
  EXPECT_FALSE(IsBroadcast(V6("::ffff:10.0.0.255")));
}

TEST(TIPAddr, InvalidVerIsAnAssertionNamingIPUtil) {
  const TIPAddr bad = BadVer();
  EXPECT_THROW((void)(bad == V4("1.2.3.4")), EAssertionFailed);
  EXPECT_THROW((void)(V4("1.2.3.4") == bad), EAssertionFailed);
  EXPECT_THROW((void)bad.InRange(V4("1.0.0.0"), V4("2.0.0.0")), EAssertionFailed);
  EXPECT_THROW((void)V4("1.2.3.4").InRange(bad, V4("2.0.0.0")), EAssertionFailed);
  EXPECT_THROW((void)IsBroadcast(bad), EAssertionFailed);
  EXPECT_THROW((void)IPAddrToStr(bad), EAssertionFailed);
  try {
    (void)IsBroadcast(bad);
  } catch (const EAssertionFailed& e) {
    EXPECT_NE(std::string(e.what()).find("IPUtil"), std::string::npos) << e.what();
  }
}

// ---------------------------------------------------------------- TIPAddrList

TEST(TIPAddrList, ListOperations) {
  TIPAddrList list;
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.Add(V4("10.0.0.1")), 0);
  EXPECT_EQ(list.Add(V4("10.0.0.1")), 1);  // duplicates allowed
  EXPECT_EQ(list.Add(V6("::1")), 2);
  EXPECT_EQ(list.Count(), 3);
  list.Replace(1, V4("10.0.0.2"));
  EXPECT_EQ(list[1], V4("10.0.0.2"));
  list.Delete(0);
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(list.Items(0), V4("10.0.0.2"));
  EXPECT_EQ(list[1], V6("::1"));
  EXPECT_THROW((void)list[2], EAssertionFailed);
  EXPECT_THROW(list.Delete(-1), EAssertionFailed);
  TIPAddrList copy = list;
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(copy.Count(), 2);  // values, not shared
}

// ---------------------------------------------------------------- GetLocal

// What getifaddrs itself reports, IPv4 first, IPv6 without scope.
std::vector<std::string> SystemAddresses(bool v4, bool v6) {
  std::vector<std::string> out;
  ifaddrs* all = nullptr;
  if (getifaddrs(&all) != 0) return out;
  for (int family : {AF_INET, AF_INET6}) {
    if ((family == AF_INET && !v4) || (family == AF_INET6 && !v6)) continue;
    for (ifaddrs* i = all; i; i = i->ifa_next) {
      if (!i->ifa_addr || i->ifa_addr->sa_family != family) continue;
      char text[INET6_ADDRSTRLEN];
      const void* bytes = family == AF_INET ? static_cast<const void*>(&reinterpret_cast<sockaddr_in*>(i->ifa_addr)->sin_addr)
                                            : static_cast<const void*>(&reinterpret_cast<sockaddr_in6*>(i->ifa_addr)->sin6_addr);
      inet_ntop(family, bytes, text, sizeof text);
      out.push_back(text);
    }
  }
  freeifaddrs(all);
  return out;
}

std::vector<std::string> AsSystemText(const TIPAddrList& list) {
  std::vector<std::string> out;
  for (const TIPAddr& a : list) {
    char text[INET6_ADDRSTRLEN];
    inet_ntop(a.Ver == atIPv4 ? AF_INET : AF_INET6, a.Bytes(), text, sizeof text);
    out.push_back(text);
  }
  return out;
}

TEST(GetLocal, MatchesGetifaddrsWithLoopback) {
  TIPAddrList list;
  list.Add(V4("203.0.113.77"));  // replaced, not appended to
  list.GetLocal(true, true);
  EXPECT_EQ(AsSystemText(list), SystemAddresses(true, true));
  bool loopback = false;
  for (const TIPAddr& a : list) loopback = loopback || a == V4("127.0.0.1");
  EXPECT_TRUE(loopback);
  // IPv4 addresses come first.
  bool seenV6 = false;
  for (const TIPAddr& a : list) {
    if (a.Ver == atIPv6) seenV6 = true;
    EXPECT_FALSE(seenV6 && a.Ver == atIPv4);
  }
}

TEST(GetLocal, OneFamilyOnly) {
  TIPAddrList list;
  list.GetLocal(true, false);
  EXPECT_EQ(AsSystemText(list), SystemAddresses(true, false));
  for (const TIPAddr& a : list) EXPECT_EQ(a.Ver, atIPv4);
  list.GetLocal(false, true);
  EXPECT_EQ(AsSystemText(list), SystemAddresses(false, true));
  for (const TIPAddr& a : list) EXPECT_EQ(a.Ver, atIPv6);
  list.GetLocal(false, false);
  EXPECT_EQ(list.Count(), 0);
}

}  // namespace
