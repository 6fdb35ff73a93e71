#include "filter/IPUtil.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include "common/Assertion.h"

namespace {

constexpr const char* kUnit = "IPUtil";

void CheckVer(TAddrType ver) { OT_ASSERT(ver == atIPv4 || ver == atIPv6, kUnit, "invalid address type"); }

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// One IPv6 item: one or more hex digits whose value fits in 32 bits (leading
// zeros do not count against the range).
bool ParseHex32(std::string_view item, uint32_t& value) {
  if (item.empty()) return false;
  uint64_t v = 0;
  for (char c : item) {
    int d = HexDigit(c);
    if (d < 0) return false;
    v = (v << 4) | static_cast<uint64_t>(d);
    if (v > 0xFFFFFFFFu) return false;
  }
  value = static_cast<uint32_t>(v);
  return true;
}

}  // namespace

TIPAddr TIPAddr::Create(uint32_t v4AddrNetworkOrder) {
  TIPAddr a;
  a.Ver = atIPv4;
  a.V4Addr = v4AddrNetworkOrder;
  return a;
}

TIPAddr TIPAddr::Create(const TIn6_addr& v6Addr) {
  TIPAddr a;
  a.Ver = atIPv6;
  a.V6Addr = v6Addr;
  return a;
}

TIPAddr TIPAddr::FromBytes(TAddrType ver, const uint8_t* bytes) {
  CheckVer(ver);
  TIPAddr a;
  a.Ver = ver;
  std::memcpy(a.V6Addr.Byte, bytes, ver == atIPv4 ? 4 : 16);
  return a;
}

bool operator==(const TIPAddr& a, const TIPAddr& b) {
  CheckVer(a.Ver);
  CheckVer(b.Ver);
  if (a.Ver != b.Ver) return false;
  if (a.Ver == atIPv4) return a.V4Addr == b.V4Addr;
  return a.V6Addr.Hi() == b.V6Addr.Hi() && a.V6Addr.Lo() == b.V6Addr.Lo();
}

bool TIPAddr::InRange(const TIPAddr& lo, const TIPAddr& hi) const {
  CheckVer(Ver);
  CheckVer(lo.Ver);
  CheckVer(hi.Ver);
  if (Ver != lo.Ver || Ver != hi.Ver) return false;
  if (Ver == atIPv4) {
    uint32_t x = ntohl(V4Addr);
    return ntohl(lo.V4Addr) <= x && x <= ntohl(hi.V4Addr);
  }
  // Byte 0 is the most significant byte of the 128-bit number, so comparing
  // the bytes in order (memcmp compares as unsigned char) is the numeric
  // comparison: upper 64 bits first, then the lower 64 bits.
  return std::memcmp(lo.V6Addr.Byte, V6Addr.Byte, 16) <= 0 && std::memcmp(V6Addr.Byte, hi.V6Addr.Byte, 16) <= 0;
}

bool IsBroadcast(const TIPAddr& address) {
  CheckVer(address.Ver);
  return address.Ver == atIPv4 && address.Bytes()[3] == 255;
}

std::string IPAddrToStr(const TIPAddr& address) {
  CheckVer(address.Ver);
  return address.Ver == atIPv4 ? IPv4ToStr(address.V4Addr) : IPv6ToStr(address.V6Addr);
}

bool StrToIPv4(std::string_view text, uint32_t& v4AddrNetworkOrder) {
  text = TrimBlanks(text);
  for (char c : text)
    if (c == '\0' || IsBlank(c)) return false;  // inet_addr would stop there and accept a prefix
  std::string narrow(text);
  in_addr_t a = inet_addr(narrow.c_str());
  if (a == INADDR_NONE || a == 0) return false;
  v4AddrNetworkOrder = a;
  return true;
}

std::string IPv4ToStr(uint32_t v4AddrNetworkOrder) {
  // inet_ntop gives inet_ntoa's dotted decimal without its shared buffer.
  in_addr a{};
  a.s_addr = v4AddrNetworkOrder;
  char text[INET_ADDRSTRLEN] = {};
  inet_ntop(AF_INET, &a, text, sizeof text);
  return text;
}

bool StrToIPv6(std::string_view text, TIn6_addr& v6Addr) {
  v6Addr = TIn6_addr();
  text = TrimBlanks(text);
  if (text.empty()) return false;  // no items at all

  // Split at every colon: n colons give n + 1 items, empty ones included.
  constexpr int kMaxItems = 10;  // 8 counted items plus the two ends of "::"
  std::string_view items[kMaxItems];
  int itemCount = 0;
  size_t start = 0;
  for (;;) {
    size_t colon = text.find(':', start);
    if (itemCount == kMaxItems) return false;  // more than eight however the ends are counted
    items[itemCount++] = text.substr(start, colon == std::string_view::npos ? std::string_view::npos : colon - start);
    if (colon == std::string_view::npos) break;
    start = colon + 1;
  }

  int count = itemCount;
  if (text.size() >= 2 && text.substr(0, 2) == "::") --count;
  if (text.size() >= 2 && text.substr(text.size() - 2) == "::") --count;
  if (count <= 0 || count > 8) return false;

  int j = 0;
  int i = 0;
  for (; i < itemCount && !items[i].empty(); ++i) {
    uint32_t value;
    if (j > 7 || !ParseHex32(items[i], value)) return false;
    v6Addr.SetGroup(j++, static_cast<uint16_t>(value));  // a value above FFFF keeps its low 16 bits
  }
  if (i == itemCount) return true;  // no empty item: the forward walk read everything

  // Backward walk from the last item until the next empty one; the items
  // between the two walks are not read (so 1::x::2 is accepted as 1::2).
  j = 7;
  for (int k = itemCount - 1; k > i && !items[k].empty(); --k) {
    uint32_t value;
    if (j < 0 || !ParseHex32(items[k], value)) return false;
    v6Addr.SetGroup(j--, static_cast<uint16_t>(value));
  }
  return true;
}

std::string IPv6ToStr(const TIn6_addr& v6Addr) {
  int runStart = -1, runLength = 0;
  for (int g = 0; g < 8;) {
    if (v6Addr.Group(g) != 0) {
      ++g;
      continue;
    }
    int s = g;
    while (g < 8 && v6Addr.Group(g) == 0) ++g;
    if (g - s > runLength) {  // strictly longer: the first of equal runs wins
      runStart = s;
      runLength = g - s;
    }
  }

  static constexpr char kHex[] = "0123456789abcdef";
  std::string text;
  text.reserve(40);
  for (int g = 0; g < 8;) {
    if (g == runStart) {
      text += g == 0 ? "::" : ":";
      g += runLength;
      continue;
    }
    uint16_t v = v6Addr.Group(g);
    bool started = false;
    for (int shift = 12; shift >= 0; shift -= 4) {
      int d = (v >> shift) & 0xF;
      if (d != 0 || started || shift == 0) {
        text += kHex[d];
        started = true;
      }
    }
    if (g != 7) text += ':';
    ++g;
  }
  return text;
}

bool StrToHWAddr(std::string_view text, THWAddr& hwAddr) {
  hwAddr = THWAddr();
  text = TrimBlanks(text);
  char digits[12];
  size_t n = 0;
  for (char c : text) {
    if (c == '-' || c == ':') continue;
    if (n == sizeof digits) return false;  // longer than 12
    digits[n++] = c;
  }
  if (n != sizeof digits) return false;
  for (int b = 0; b < 6; ++b) {
    int hi = HexDigit(digits[2 * b]), lo = HexDigit(digits[2 * b + 1]);
    if (hi < 0 || lo < 0) return false;  // the bytes converted before stay
    hwAddr.FValue[b] = static_cast<uint8_t>((hi << 4) | lo);
  }
  return true;
}

THWAddr THWAddr::Create(std::string_view value) {
  THWAddr a;
  StrToHWAddr(value, a);
  return a;
}

std::string HWAddrToStr(const THWAddr& hwAddr) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string text(12, '0');
  for (int b = 0; b < 6; ++b) {
    text[2 * b] = kHex[hwAddr.FValue[b] >> 4];
    text[2 * b + 1] = kHex[hwAddr.FValue[b] & 0xF];
  }
  return text;
}

const TIPAddr& TIPAddrList::operator[](int index) const {
  OT_ASSERT(index >= 0 && index < Count(), kUnit, "list index out of bounds");
  return FItems[static_cast<size_t>(index)];
}

int TIPAddrList::Add(const TIPAddr& address) {
  FItems.push_back(address);
  return Count() - 1;
}

void TIPAddrList::Replace(int index, const TIPAddr& address) {
  OT_ASSERT(index >= 0 && index < Count(), kUnit, "list index out of bounds");
  FItems[static_cast<size_t>(index)] = address;
}

void TIPAddrList::Delete(int index) {
  OT_ASSERT(index >= 0 && index < Count(), kUnit, "list index out of bounds");
  FItems.erase(FItems.begin() + index);
}

void TIPAddrList::GetLocal(bool getIPv4, bool getIPv6) {
  Clear();
  ifaddrs* all = nullptr;
  if (getifaddrs(&all) != 0) return;
  // Two passes over the one snapshot, so every IPv4 address precedes every
  // IPv6 address. Interface addresses are unicast by construction (multicast
  // memberships are not listed by getifaddrs); the scope id is dropped.
  if (getIPv4)
    for (ifaddrs* i = all; i; i = i->ifa_next)
      if (i->ifa_addr && i->ifa_addr->sa_family == AF_INET)
        Add(TIPAddr::Create(reinterpret_cast<const sockaddr_in*>(i->ifa_addr)->sin_addr.s_addr));
  if (getIPv6)
    for (ifaddrs* i = all; i; i = i->ifa_next)
      if (i->ifa_addr && i->ifa_addr->sa_family == AF_INET6)
        Add(TIPAddr::FromBytes(atIPv6, reinterpret_cast<const sockaddr_in6*>(i->ifa_addr)->sin6_addr.s6_addr));
  freeifaddrs(all);
}
