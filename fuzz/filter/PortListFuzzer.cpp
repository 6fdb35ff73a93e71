// A port list text and a frame, both of any content and length.
//   byte 0: length of the text that follows
//   byte 1: which headers go in front of the remaining bytes (none, Ethernet
//           with IPv4, Ethernet with IPv6, tagged Ethernet with IPv4), so
//           that the port bytes are reached without guessing 40 header bytes
// The frame is copied into a buffer of exactly its length so that any read
// past it is caught.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "filter/PortBlocking.h"

namespace {

std::vector<uint8_t> Headers(uint8_t choice) {
  std::vector<uint8_t> ethernet(12, 0);
  switch (choice % 4) {
    case 1:
      ethernet.insert(ethernet.end(), {0x08, 0x00, 0x45});
      ethernet.resize(14 + 9, 0);
      ethernet.push_back(choice & 0x10 ? 17 : 6);  // protocol byte
      ethernet.resize(14 + 20, 0);
      return ethernet;
    case 2:
      ethernet.insert(ethernet.end(), {0x86, 0xDD, 0x60});
      ethernet.resize(14 + 6, 0);
      ethernet.push_back(choice & 0x10 ? 17 : 6);  // next header
      ethernet.resize(14 + 40, 0);
      return ethernet;
    case 3:
      ethernet.insert(ethernet.end(), {0x81, 0x00, 0x00, 0x01, 0x08, 0x00});
      return ethernet;  // the IPv4 header itself comes from the input
    default:
      return {};
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const size_t textLength = std::min<size_t>(data[0], size - 2);
  const std::string text(reinterpret_cast<const char*>(data + 2), textLength);
  static auto blocking = std::make_unique<TPortBlocking>();
  try {
    blocking->SetPortList(text);
  } catch (const EPortListFormat&) {
    // The items before the bad one stay: the frame is still looked up in them.
  }
  std::vector<uint8_t> bytes = Headers(data[1]);
  bytes.insert(bytes.end(), data + 2 + textLength, data + size);
  std::unique_ptr<uint8_t[]> frame(new uint8_t[bytes.size() + (bytes.empty() ? 1 : 0)]);
  std::copy(bytes.begin(), bytes.end(), frame.get());
  const auto length = static_cast<uint32_t>(bytes.size());

  blocking->Enabled = true;
  const bool blocked = blocking->IsBlocked(frame.get(), length);
  // Without Ethernet, IP and port bytes there is no verdict.
  if (blocked && length < 14 + 20 + 4) std::abort();
  blocking->Enabled = false;
  if (blocking->IsBlocked(frame.get(), length)) std::abort();
  return 0;
}
