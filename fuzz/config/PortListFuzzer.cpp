// A port list text and a frame, both of any content and length. The first
// byte says where the text ends; the rest is the frame, copied into a buffer
// of exactly its length so that any read past it is caught.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "config/PortBlocking.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const size_t textLength = std::min<size_t>(data[0], size - 1);
  const std::string text(reinterpret_cast<const char*>(data + 1), textLength);
  static auto blocking = std::make_unique<TPortBlocking>();
  try {
    blocking->SetPortList(text);
  } catch (const EPortListFormat&) {
    // The items before the bad one stay: the frame is still looked up in them.
  }
  const size_t frameLength = size - 1 - textLength;
  std::unique_ptr<uint8_t[]> frame(new uint8_t[frameLength ? frameLength : 1]);
  std::copy(data + 1 + textLength, data + size, frame.get());
  blocking->Enabled = true;
  const bool blocked = blocking->IsBlocked(frame.get(), static_cast<uint32_t>(frameLength));
  // No Ethernet, IP and port bytes, no verdict.
  if (blocked && frameLength < 14 + 20 + 4) std::abort();
  blocking->Enabled = false;
  if (blocking->IsBlocked(frame.get(), static_cast<uint32_t>(frameLength))) std::abort();
  return 0;
}
