#include "capture/LibpcapFormat.h"

namespace {

void PutLittleEndian32(uint8_t* out, uint32_t value) {
  out[0] = static_cast<uint8_t>(value);
  out[1] = static_cast<uint8_t>(value >> 8);
  out[2] = static_cast<uint8_t>(value >> 16);
  out[3] = static_cast<uint8_t>(value >> 24);
}

void PutLittleEndian16(uint8_t* out, uint16_t value) {
  out[0] = static_cast<uint8_t>(value);
  out[1] = static_cast<uint8_t>(value >> 8);
}

}  // namespace

TLibpcapGlobalHeader LibpcapGlobalHeader() {
  TLibpcapGlobalHeader header{};
  PutLittleEndian32(&header[0], kLibpcapMagic);
  PutLittleEndian16(&header[4], 2);
  PutLittleEndian16(&header[6], 4);
  PutLittleEndian32(&header[8], 0);   // time zone correction
  PutLittleEndian32(&header[12], 0);  // timestamp accuracy
  PutLittleEndian32(&header[16], kLibpcapSnapLength);
  PutLittleEndian32(&header[20], kLibpcapLinkTypeEthernet);
  return header;
}

TLibpcapRecordHeader LibpcapRecordHeader(int64_t timeMs, uint32_t size) {
  // Floor division, so a time before 1970 would still split into a whole
  // second and a non-negative millisecond part.
  int64_t seconds = timeMs / 1000;
  int64_t millis = timeMs % 1000;
  if (millis < 0) {
    millis += 1000;
    --seconds;
  }
  TLibpcapRecordHeader header{};
  PutLittleEndian32(&header[0], static_cast<uint32_t>(seconds));
  PutLittleEndian32(&header[4], static_cast<uint32_t>(millis * 1000));
  PutLittleEndian32(&header[8], size);
  PutLittleEndian32(&header[12], size);
  return header;
}
