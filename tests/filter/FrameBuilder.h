#pragma once
// Builds Ethernet frames for tests, layer by layer, into a byte vector:
//
//   auto frame = TFrameBuilder()
//                    .Ethernet(kMacB, kMacA)       // destination, source
//                    .Vlan(100)                    // optional 802.1Q tag
//                    .IPv4("10.0.0.1", "10.0.0.2", kProtoUdp)
//                    .Udp(1234, 53)
//                    .Payload(10)
//                    .Build();
//
// Each layer fills in the EtherType / protocol field that announces it where
// the previous layer left it open. Build() fixes the lengths (IPv4 total
// length, IPv6 payload length, UDP length) and the checksums (IPv4 header,
// TCP, UDP, ICMP and ICMPv6). Addresses are given as text and parsed with
// inet_pton, independently of the code under test. Header-only, no project
// dependencies: any test may include it.
#include <arpa/inet.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace frame_builder {

using TMac = std::array<uint8_t, 6>;

constexpr uint16_t kEtherTypeIPv4 = 0x0800;
constexpr uint16_t kEtherTypeArp = 0x0806;
constexpr uint16_t kEtherTypeVlan = 0x8100;
constexpr uint16_t kEtherTypeIPv6 = 0x86DD;
constexpr uint16_t kEtherTypePPPoEDiscovery = 0x8863;
constexpr uint16_t kEtherTypePPPoESession = 0x8864;

constexpr uint8_t kProtoHopByHop = 0;
constexpr uint8_t kProtoIcmp = 1;
constexpr uint8_t kProtoTcp = 6;
constexpr uint8_t kProtoUdp = 17;
constexpr uint8_t kProtoGre = 47;
constexpr uint8_t kProtoEsp = 50;
constexpr uint8_t kProtoAh = 51;
constexpr uint8_t kProtoIcmpV6 = 58;

constexpr TMac kBroadcastMac = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};

class TFrameBuilder {
 public:
  // Destination and source MAC address; without this call both are zero.
  TFrameBuilder& Ethernet(const TMac& destination, const TMac& source) {
    Bytes.assign(12, 0);
    for (int i = 0; i < 6; ++i) {
      Bytes[i] = destination[i];
      Bytes[6 + i] = source[i];
    }
    return *this;
  }

  // An 802.1Q tag (TPID 8100) with the 12-bit VLAN identifier and a priority.
  TFrameBuilder& Vlan(uint16_t vlanId, uint8_t priority = 0) {
    EnsureEthernet();
    PutU16(kEtherTypeVlan);
    PutU16(static_cast<uint16_t>((priority & 7) << 13 | (vlanId & 0x0FFF)));
    return *this;
  }

  // A raw EtherType; what follows (Payload, Arp) is its content.
  TFrameBuilder& EtherType(uint16_t type) {
    EnsureEthernet();
    PutU16(type);
    return *this;
  }

  // A 20-byte IPv4 header plus optionWords * 4 bytes of options (NOPs).
  TFrameBuilder& IPv4(const std::string& source, const std::string& destination, uint8_t protocol,
                      int optionWords = 0, uint8_t ttl = 64) {
    EtherType(kEtherTypeIPv4);
    FL3 = Bytes.size();
    FL3IsIPv6 = false;
    PutU8(static_cast<uint8_t>(0x40 | (5 + optionWords)));
    PutU8(0);          // DSCP/ECN
    PutU16(0);         // total length, fixed in Build
    PutU16(0x1234);    // identification
    PutU16(0x4000);    // don't fragment
    PutU8(ttl);
    PutU8(protocol);
    PutU16(0);         // header checksum, fixed in Build
    PutAddress(AF_INET, source);
    PutAddress(AF_INET, destination);
    for (int i = 0; i < optionWords * 4; ++i) PutU8(1);
    return *this;
  }

  // The 40-byte fixed IPv6 header.
  TFrameBuilder& IPv6(const std::string& source, const std::string& destination, uint8_t nextHeader,
                      uint8_t hopLimit = 64) {
    EtherType(kEtherTypeIPv6);
    FL3 = Bytes.size();
    FL3IsIPv6 = true;
    PutU32(0x60000000);  // version 6, no traffic class or flow label
    PutU16(0);           // payload length, fixed in Build
    PutU8(nextHeader);
    PutU8(hopLimit);
    PutAddress(AF_INET6, source);
    PutAddress(AF_INET6, destination);
    return *this;
  }

  // An 8-byte IPv6 extension header (hop-by-hop options, padding only)
  // announcing nextHeader; the header before it should announce kProtoHopByHop.
  TFrameBuilder& IPv6Extension(uint8_t nextHeader) {
    PutU8(nextHeader);
    PutU8(0);  // length in 8-byte units, not counting the first
    PutU8(1);  // PadN option filling the remaining 6 bytes
    PutU8(4);
    PutU32(0);
    return *this;
  }

  TFrameBuilder& Tcp(uint16_t sourcePort, uint16_t destinationPort, uint8_t flags = 0x02, uint32_t seq = 0) {
    FL4 = Bytes.size();
    FL4Protocol = kProtoTcp;
    PutU16(sourcePort);
    PutU16(destinationPort);
    PutU32(seq);
    PutU32(0);               // acknowledgement
    PutU8(5 << 4);           // data offset 5 words
    PutU8(flags);
    PutU16(0xFFFF);          // window
    PutU16(0);               // checksum, fixed in Build
    PutU16(0);               // urgent pointer
    return *this;
  }

  TFrameBuilder& Udp(uint16_t sourcePort, uint16_t destinationPort) {
    FL4 = Bytes.size();
    FL4Protocol = kProtoUdp;
    PutU16(sourcePort);
    PutU16(destinationPort);
    PutU16(0);  // length, fixed in Build
    PutU16(0);  // checksum, fixed in Build
    return *this;
  }

  // An ICMP (IPv4) or ICMPv6 (protocol kProtoIcmpV6) echo header.
  TFrameBuilder& Icmp(uint8_t type, uint8_t code = 0, uint8_t protocol = kProtoIcmp) {
    FL4 = Bytes.size();
    FL4Protocol = protocol;
    PutU8(type);
    PutU8(code);
    PutU16(0);  // checksum, fixed in Build
    PutU32(0);  // identifier, sequence
    return *this;
  }

  // An Ethernet/IPv4 ARP packet (operation 1 request, 2 reply).
  TFrameBuilder& Arp(uint16_t operation, const TMac& senderMac, const std::string& senderIP, const TMac& targetMac,
                     const std::string& targetIP) {
    EtherType(kEtherTypeArp);
    PutU16(1);       // hardware type Ethernet
    PutU16(kEtherTypeIPv4);
    PutU8(6);
    PutU8(4);
    PutU16(operation);
    for (uint8_t b : senderMac) PutU8(b);
    PutAddress(AF_INET, senderIP);
    for (uint8_t b : targetMac) PutU8(b);
    PutAddress(AF_INET, targetIP);
    return *this;
  }

  // A PPPoE header (discovery 8863 or session 8864); for a session the PPP
  // protocol number follows (0x0021 IPv4).
  TFrameBuilder& PPPoE(uint16_t etherType, uint16_t sessionId = 1, uint8_t code = 0, uint16_t pppProtocol = 0x0021) {
    EtherType(etherType);
    PutU8(0x11);  // version 1, type 1
    PutU8(code);
    PutU16(sessionId);
    PutU16(etherType == kEtherTypePPPoESession ? 2 : 0);
    if (etherType == kEtherTypePPPoESession) PutU16(pppProtocol);
    return *this;
  }

  TFrameBuilder& Payload(size_t size, uint8_t fill = 0xAB) {
    Bytes.insert(Bytes.end(), size, fill);
    return *this;
  }
  TFrameBuilder& Payload(const std::vector<uint8_t>& data) {
    Bytes.insert(Bytes.end(), data.begin(), data.end());
    return *this;
  }
  // Pads with zero bytes up to the Ethernet minimum of 60 bytes (without FCS).
  // Lengths in the headers are fixed before the padding, as on the wire.
  TFrameBuilder& PadToMinimum() {
    FPadTo = 60;
    return *this;
  }

  // The frame with lengths and checksums filled in.
  std::vector<uint8_t> Build() const {
    std::vector<uint8_t> f = Bytes;
    const size_t end = f.size();
    if (FL3 != kNone) {
      if (FL3IsIPv6) {
        SetU16(f, FL3 + 4, static_cast<uint16_t>(end - FL3 - 40));
      } else {
        size_t headerLength = (f[FL3] & 0x0F) * 4u;
        SetU16(f, FL3 + 2, static_cast<uint16_t>(end - FL3));
        SetU16(f, FL3 + 10, 0);
        SetU16(f, FL3 + 10, static_cast<uint16_t>(~Sum(f, FL3, headerLength, 0)));
      }
    }
    if (FL4 != kNone) {
      size_t checksumOffset = FL4Protocol == kProtoTcp ? 16 : FL4Protocol == kProtoUdp ? 6 : 2;
      if (FL4Protocol == kProtoUdp) SetU16(f, FL4 + 4, static_cast<uint16_t>(end - FL4));
      SetU16(f, FL4 + checksumOffset, 0);
      uint32_t pseudo = 0;
      if (FL3 != kNone && FL4Protocol != kProtoIcmp) {
        size_t addrOffset = FL3IsIPv6 ? FL3 + 8 : FL3 + 12;
        pseudo = Sum(f, addrOffset, FL3IsIPv6 ? 32 : 8, 0) + FL4Protocol + static_cast<uint32_t>(end - FL4);
      }
      uint16_t checksum = static_cast<uint16_t>(~Sum(f, FL4, end - FL4, pseudo));
      if (FL4Protocol == kProtoUdp && checksum == 0) checksum = 0xFFFF;
      SetU16(f, FL4 + checksumOffset, checksum);
    }
    if (f.size() < FPadTo) f.resize(FPadTo, 0);
    return f;
  }

  // The bytes so far, without fix-ups (for frames cut short on purpose).
  std::vector<uint8_t> Bytes;

 private:
  static constexpr size_t kNone = static_cast<size_t>(-1);

  void EnsureEthernet() {
    if (Bytes.size() < 12) Bytes.resize(12, 0);
  }
  void PutU8(uint8_t v) { Bytes.push_back(v); }
  void PutU16(uint16_t v) {
    PutU8(static_cast<uint8_t>(v >> 8));
    PutU8(static_cast<uint8_t>(v));
  }
  void PutU32(uint32_t v) {
    PutU16(static_cast<uint16_t>(v >> 16));
    PutU16(static_cast<uint16_t>(v));
  }
  void PutAddress(int family, const std::string& text) {
    uint8_t buffer[16];
    if (inet_pton(family, text.c_str(), buffer) != 1) throw std::invalid_argument("TFrameBuilder: bad address " + text);
    Bytes.insert(Bytes.end(), buffer, buffer + (family == AF_INET ? 4 : 16));
  }
  static void SetU16(std::vector<uint8_t>& f, size_t offset, uint16_t v) {
    f[offset] = static_cast<uint8_t>(v >> 8);
    f[offset + 1] = static_cast<uint8_t>(v);
  }
  // The ones' complement sum of the 16-bit words of f[offset, offset + size), folded.
  static uint32_t Sum(const std::vector<uint8_t>& f, size_t offset, size_t size, uint32_t sum) {
    for (size_t i = 0; i + 1 < size; i += 2) sum += static_cast<uint32_t>(f[offset + i] << 8 | f[offset + i + 1]);
    if (size % 2) sum += static_cast<uint32_t>(f[offset + size - 1] << 8);
    while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
    return sum;
  }

  size_t FL3 = kNone;
  bool FL3IsIPv6 = false;
  size_t FL4 = kNone;
  uint8_t FL4Protocol = 0;
  size_t FPadTo = 0;
};

}  // namespace frame_builder
