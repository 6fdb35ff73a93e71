#pragma once
#include <cstdint>
#include <vector>

// Hand-built Ethernet frames for the port blocking tests: just the bytes
// IsBlocked reads, every other header field zero.
namespace test_frames {

constexpr uint8_t kTcp = 6;
constexpr uint8_t kUdp = 17;

struct TFrameShape {
  uint16_t EtherType = 0x0800;
  bool VlanTag = false;
  uint8_t Protocol = kTcp;       // IPv4 protocol or IPv6 next header
  uint8_t IPv4HeaderWords = 5;   // low nibble of the IPv4 header's first byte
  uint16_t SourcePort = 1024;
  uint16_t DestinationPort = 80;
  uint32_t Payload = 8;          // bytes after the four port bytes
};

inline void PutBigEndian16(std::vector<uint8_t>& frame, size_t at, uint16_t value) {
  frame[at] = static_cast<uint8_t>(value >> 8);
  frame[at + 1] = static_cast<uint8_t>(value);
}

inline std::vector<uint8_t> BuildFrame(const TFrameShape& shape) {
  size_t network = 14;
  std::vector<uint8_t> frame(network);
  if (shape.VlanTag) {
    network = 18;
    frame.resize(network);
    PutBigEndian16(frame, 12, 0x8100);
    PutBigEndian16(frame, 14, 0x0064);  // VLAN 100
    PutBigEndian16(frame, 16, shape.EtherType);
  } else {
    PutBigEndian16(frame, 12, shape.EtherType);
  }
  size_t transport = network;
  if (shape.EtherType == 0x86DD) {
    transport = network + 40;
    frame.resize(transport);
    frame[network] = 0x60;
    frame[network + 6] = shape.Protocol;
  } else {
    // Any other EtherType gets an IPv4-looking header too, so that only the
    // EtherType tells the frames apart.
    const size_t headerLength = shape.IPv4HeaderWords * 4u;
    transport = network + (headerLength < 20 ? 20 : headerLength);
    frame.resize(transport);
    frame[network] = static_cast<uint8_t>(0x40 | (shape.IPv4HeaderWords & 0x0F));
    frame[network + 9] = shape.Protocol;
  }
  frame.resize(transport + 4 + shape.Payload);
  PutBigEndian16(frame, transport, shape.SourcePort);
  PutBigEndian16(frame, transport + 2, shape.DestinationPort);
  return frame;
}

}  // namespace test_frames
