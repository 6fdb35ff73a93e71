#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

// The classic libpcap layout, every field little-endian: one 24-byte global
// header, then per frame a 16-byte record header followed by the frame bytes.
constexpr uint32_t kLibpcapMagic = 0xA1B2C3D4;  // microsecond timestamps
constexpr uint32_t kLibpcapSnapLength = 65535;
constexpr uint32_t kLibpcapLinkTypeEthernet = 1;
constexpr size_t kLibpcapGlobalHeaderSize = 24;
constexpr size_t kLibpcapRecordHeaderSize = 16;

using TLibpcapGlobalHeader = std::array<uint8_t, kLibpcapGlobalHeaderSize>;
using TLibpcapRecordHeader = std::array<uint8_t, kLibpcapRecordHeaderSize>;

// Version 2.4, no time zone correction, no accuracy, snapshot length 65535, Ethernet.
TLibpcapGlobalHeader LibpcapGlobalHeader();

// A record of a frame of size bytes taken at timeMs (milliseconds since
// 1970-01-01 UTC): whole seconds, the millisecond part in microseconds, and
// the size twice (captured and on the wire: frames are never cut).
TLibpcapRecordHeader LibpcapRecordHeader(int64_t timeMs, uint32_t size);
