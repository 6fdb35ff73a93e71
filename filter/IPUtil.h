#pragma once
// IPUtil: the address values the whole filter works with, their
// text forms, comparison, range test and the query for this host's addresses.
// Plain value code: no locks, no threads. Equality, InRange, IsBroadcast and
// THWAddr equality run on the packet path: they allocate nothing and take no lock.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

// Which of the two address fields of a TIPAddr is in use. One byte; any other
// value is an internal error wherever an operation meets it.
enum TAddrType : uint8_t {
  atIPv4 = 0,
  atIPv6 = 1,
};

// The 16-byte IPv6 address in network order (Byte[0] is the first byte of the
// written address). The views of the original (Word, LongWord, UInt64, Lo, Hi)
// are accessors over the same bytes; they read and write raw memory, so a Word
// or LongWord is in network order, exactly as it stands in a frame.
struct TIn6_addr {
  uint8_t Byte[16] = {};

  uint16_t Word(int i) const { return Load<uint16_t>(2 * i); }
  void SetWord(int i, uint16_t v) { Store(2 * i, v); }
  uint32_t LongWord(int i) const { return Load<uint32_t>(4 * i); }
  void SetLongWord(int i, uint32_t v) { Store(4 * i, v); }
  uint64_t UInt64(int i) const { return Load<uint64_t>(8 * i); }
  void SetUInt64(int i, uint64_t v) { Store(8 * i, v); }
  // Lo is the 64-bit value at bytes 0 to 7, Hi the one at bytes 8 to 15 (the
  // names of the original; in numeric order Lo is the more significant half).
  uint64_t Lo() const { return UInt64(0); }
  uint64_t Hi() const { return UInt64(1); }

  // Group i (0 to 7) as a number: bytes 2i and 2i+1 read big-endian.
  uint16_t Group(int i) const { return static_cast<uint16_t>((Byte[2 * i] << 8) | Byte[2 * i + 1]); }
  void SetGroup(int i, uint16_t v) {
    Byte[2 * i] = static_cast<uint8_t>(v >> 8);
    Byte[2 * i + 1] = static_cast<uint8_t>(v);
  }

  friend bool operator==(const TIn6_addr& a, const TIn6_addr& b) {
    return std::memcmp(a.Byte, b.Byte, sizeof a.Byte) == 0;
  }

 private:
  template <typename T>
  T Load(int offset) const {
    T v;
    std::memcpy(&v, Byte + offset, sizeof v);
    return v;
  }
  template <typename T>
  void Store(int offset, T v) {
    std::memcpy(Byte + offset, &v, sizeof v);
  }
};
static_assert(sizeof(TIn6_addr) == 16);

// An IPv4 or IPv6 address, held in network order so that a frame's address
// bytes can be copied in without conversion. V4Addr shares its storage with the
// first four bytes of V6Addr. The all-zero record (atIPv4, 0.0.0.0) is the empty
// address; a default-constructed TIPAddr is that record.
struct TIPAddr {
  TAddrType Ver = atIPv4;
  union {
    TIn6_addr V6Addr{};  // first member, so the whole storage starts zeroed
    uint32_t V4Addr;     // first octet in the lowest-addressed byte
  };

  static TIPAddr Create(uint32_t v4AddrNetworkOrder);
  static TIPAddr Create(const TIn6_addr& v6Addr);
  // Builds an address from the raw bytes of a frame: 4 bytes for atIPv4, 16 for atIPv6.
  static TIPAddr FromBytes(TAddrType ver, const uint8_t* bytes);

  void Clear() { *this = TIPAddr(); }

  // The stored bytes: 4 for IPv4, 16 for IPv6 (the first 4 when atIPv4).
  const uint8_t* Bytes() const { return V6Addr.Byte; }

  // Inclusive range test in numeric order; false unless X, lo and hi share Ver.
  bool InRange(const TIPAddr& lo, const TIPAddr& hi) const;

  // An IPv4 address never equals an IPv6 address, not even an IPv4-mapped one.
  friend bool operator==(const TIPAddr& a, const TIPAddr& b);
  friend bool operator!=(const TIPAddr& a, const TIPAddr& b) { return !(a == b); }
};

// A 6-byte MAC address; FValue[0] is the byte that goes first on the wire.
struct THWAddr {
  using THWBytes = uint8_t[6];
  THWBytes FValue = {};

  // The result of StrToHWAddr, whether it succeeded or not.
  static THWAddr Create(std::string_view value);
  static THWAddr FromBytes(const uint8_t* bytes) {
    THWAddr a;
    std::memcpy(a.FValue, bytes, sizeof a.FValue);
    return a;
  }

  friend bool operator==(const THWAddr& a, const THWAddr& b) {
    return std::memcmp(a.FValue, b.FValue, sizeof a.FValue) == 0;
  }
  friend bool operator!=(const THWAddr& a, const THWAddr& b) { return !(a == b); }
};

// IPv4: the last (fourth) octet is 255, whatever the others are. IPv6: never.
bool IsBroadcast(const TIPAddr& address);

// Text forms. The parsers never throw; they report failure by returning false.
// Blanks (spaces, tabs) around the whole text are ignored; blanks inside it
// make the text invalid.
std::string IPAddrToStr(const TIPAddr& address);
// inet_addr semantics; 0.0.0.0 and 255.255.255.255 are refused.
bool StrToIPv4(std::string_view text, uint32_t& v4AddrNetworkOrder);
std::string IPv4ToStr(uint32_t v4AddrNetworkOrder);
// The IPv6 parser with its quirks (items between the forward and the
// backward walk are not read; a failure leaves the groups stored so far).
bool StrToIPv6(std::string_view text, TIn6_addr& v6Addr);
// The compressed lower-case form; a single zero group is compressed too.
std::string IPv6ToStr(const TIn6_addr& v6Addr);
// Hyphens and colons are removed wherever they stand; then exactly 12 hex digits.
bool StrToHWAddr(std::string_view text, THWAddr& hwAddr);
// Twelve upper-case hex digits without separators.
std::string HWAddrToStr(const THWAddr& hwAddr);

// An ordered list of addresses, duplicates allowed; it owns its elements (values).
class TIPAddrList {
 public:
  TIPAddrList() = default;
  TIPAddrList(std::initializer_list<TIPAddr> items) : FItems(items) {}

  int Count() const { return static_cast<int>(FItems.size()); }
  const TIPAddr& operator[](int index) const;
  const TIPAddr& Items(int index) const { return (*this)[index]; }
  int Add(const TIPAddr& address);
  void Replace(int index, const TIPAddr& address);
  void Delete(int index);
  void Clear() { FItems.clear(); }
  void Reserve(int capacity) { FItems.reserve(static_cast<size_t>(capacity)); }

  // Replaces the content with this host's own unicast addresses: every IPv4
  // address of every interface (in getifaddrs order) when getIPv4, then every
  // IPv6 address without its scope id when getIPv6. Reports nothing on failure.
  void GetLocal(bool getIPv4, bool getIPv6);

  std::vector<TIPAddr>::const_iterator begin() const { return FItems.begin(); }
  std::vector<TIPAddr>::const_iterator end() const { return FItems.end(); }

  friend bool operator==(const TIPAddrList& a, const TIPAddrList& b) { return a.FItems == b.FItems; }

 private:
  std::vector<TIPAddr> FItems;
};
