#include "filter/PortBlocking.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <optional>
#include <string_view>

#include "common/Trim.h"

namespace {

constexpr int kMaxPort = 65535;

// Reads a whole integer: blanks before it, an optional sign, decimal digits
// and nothing after. Fails like a conversion of user text to a 32-bit integer.
int ToInteger(std::string_view text) {
  auto fail = [&]() -> int {
    throw EPortListFormat("'" + std::string(text) + "' is not a valid integer value");
  };
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  if (i == text.size()) return fail();
  long long value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return fail();
    value = value * 10 + (text[i] - '0');
    if (value > static_cast<long long>(INT_MAX) + 1) return fail();
  }
  if (negative) value = -value;
  if (value > INT_MAX || value < INT_MIN) return fail();
  return static_cast<int>(value);
}

uint16_t CheckPort(int number) {
  if (number < 0 || number > kMaxPort)
    throw EPortListFormat(std::to_string(number) + " is out of range");
  return static_cast<uint16_t>(number);
}

// Splits off the protocol letter of an item; without one it means both.
TPortProtoSet TakeProtocol(std::string_view& item) {
  if (item.empty()) return kBothProtocols;
  switch (item.front()) {
    case 't':
    case 'T':
      item.remove_prefix(1);
      return ProtoSetOf(TPortProtocol::ppTcp);
    case 'u':
    case 'U':
      item.remove_prefix(1);
      return ProtoSetOf(TPortProtocol::ppUdp);
    default:
      return kBothProtocols;
  }
}

void AddItem(std::string_view item, TPortBlocking::TPortList& ports) {
  const TPortProtoSet protocols = TakeProtocol(item);
  const size_t dash = item.find('-');
  if (dash == std::string_view::npos) {
    ports.Add(CheckPort(ToInteger(item)), protocols);
    return;
  }
  // Both sides are converted before either is checked.
  const int firstNumber = ToInteger(item.substr(0, dash));
  const int lastNumber = ToInteger(item.substr(dash + 1));
  const uint16_t first = CheckPort(firstNumber);
  const uint16_t last = CheckPort(lastNumber);
  if (first > last) throw EPortListFormat("in ranges from must be less than to");
  for (int port = first; port <= last; ++port) ports.Add(static_cast<uint16_t>(port), protocols);
}

uint16_t ReadBigEndian16(const uint8_t* bytes) {
  return static_cast<uint16_t>((bytes[0] << 8) | bytes[1]);
}

constexpr uint16_t kEtherTypeVlan = 0x8100;
constexpr uint16_t kEtherTypeIPv4 = 0x0800;
constexpr uint16_t kEtherTypeIPv6 = 0x86DD;
constexpr uint8_t kProtocolTcp = 6;
constexpr uint8_t kProtocolUdp = 17;
constexpr uint32_t kIPv4MinHeader = 20;
constexpr uint32_t kIPv6Header = 40;

// Where the transport header starts and which protocol it is; nullopt for
// anything that is not TCP or UDP over IPv4 or IPv6, or is cut short.
struct TTransport {
  uint32_t Offset;
  TPortProtoSet Protocol;
};

std::optional<TTransport> FindTransport(const uint8_t* frame, uint32_t length) {
  uint32_t network = 14;
  if (length < network) return std::nullopt;
  uint16_t etherType = ReadBigEndian16(frame + 12);
  if (etherType == kEtherTypeVlan) {
    network = 18;
    if (length < network) return std::nullopt;
    etherType = ReadBigEndian16(frame + 16);
  }
  uint8_t protocol;
  uint32_t transport;
  if (etherType == kEtherTypeIPv4) {
    if (length < network + kIPv4MinHeader) return std::nullopt;
    const uint32_t headerLength = (frame[network] & 0x0F) * 4u;
    // A header length below the fixed part is malformed: the "transport
    // header" would overlap the IP header itself.
    if (headerLength < kIPv4MinHeader) return std::nullopt;
    protocol = frame[network + 9];
    transport = network + headerLength;
  } else if (etherType == kEtherTypeIPv6) {
    if (length < network + kIPv6Header) return std::nullopt;
    protocol = frame[network + 6];
    transport = network + kIPv6Header;
  } else {
    return std::nullopt;
  }
  if (length < transport + 4) return std::nullopt;
  if (protocol == kProtocolTcp) return TTransport{transport, ProtoSetOf(TPortProtocol::ppTcp)};
  if (protocol == kProtocolUdp) return TTransport{transport, ProtoSetOf(TPortProtocol::ppUdp)};
  return std::nullopt;
}

}  // namespace

TPortBlocking::TPortList::TPortList() : FTable(kMaxPort + 1, 0) {}

void TPortBlocking::TPortList::Clear() {
  std::memset(FTable.data(), 0, FTable.size());
  FCount = 0;
}

void TPortBlocking::TPortList::Add(uint16_t port, TPortProtoSet protocols) {
  if (protocols == 0) return;  // a listed port always has a protocol
  if (FTable[port] == 0) ++FCount;
  FTable[port] |= protocols;
}

void TPortBlocking::SetPortList(const std::string& text) {
  Ports.Clear();
  if (text.empty()) return;
  std::string_view rest(text);
  while (true) {
    const size_t comma = rest.find(',');
    AddItem(Trim(rest.substr(0, comma)), Ports);
    if (comma == std::string_view::npos) break;
    rest.remove_prefix(comma + 1);
  }
}

bool TPortBlocking::IsBlocked(const uint8_t* frame, uint32_t length) const {
  if (!Enabled || Ports.Empty() || frame == nullptr) return false;
  const std::optional<TTransport> transport = FindTransport(frame, length);
  if (!transport) return false;
  const uint8_t* ports = frame + transport->Offset;
  // The source port's entry decides alone; the destination is looked at only
  // when the source port is not listed at all.
  TPortProtoSet listed = Ports.Find(ReadBigEndian16(ports));
  if (listed == 0) listed = Ports.Find(ReadBigEndian16(ports + 2));
  return (listed & transport->Protocol) != 0;
}
