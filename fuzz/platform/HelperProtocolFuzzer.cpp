// Any bytes as a message to the interception helper, and as an answer from
// it. The bytes are copied into a buffer of exactly their length so that a
// read past the end is caught. Whatever decodes must encode to the same
// bytes: the helper and the program then agree on every field.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/linux/helper/HelperProtocol.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::unique_ptr<uint8_t[]> exact(new uint8_t[size ? size : 1]);
  if (size) std::memcpy(exact.get(), data, size);
  std::string why;
  if (auto request = DecodeHelperRequest(exact.get(), size, why)) {
    const std::vector<uint8_t> again = EncodeHelperRequest(*request);
    if (again.size() != size || std::memcmp(again.data(), exact.get(), size) != 0) std::abort();
  } else if (why.empty()) {
    std::abort();  // a refusal always says why
  }
  why.clear();
  if (auto answer = DecodeHelperAnswer(exact.get(), size, why)) {
    const std::vector<uint8_t> again = EncodeHelperAnswer(*answer);
    if (again.size() != size || std::memcmp(again.data(), exact.get(), size) != 0) std::abort();
  } else if (why.empty()) {
    std::abort();
  }
  return 0;
}
