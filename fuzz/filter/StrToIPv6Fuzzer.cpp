// Any text through StrToIPv6 (and StrToIPv4). Nothing may crash; an accepted
// address prints to a text that parses back to the same bytes, by our parser
// and by inet_pton; a refused text leaves only the groups it stored.
#include <arpa/inet.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "filter/IPUtil.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);

  TIn6_addr a;
  const bool ok = StrToIPv6(text, a);
  const std::string printed = IPv6ToStr(a);  // also of a partial result
  TIn6_addr back;
  if (!StrToIPv6(printed, back) || !(back == a)) std::abort();
  uint8_t system[16];
  if (inet_pton(AF_INET6, printed.c_str(), system) != 1 || std::memcmp(system, a.Byte, 16) != 0) std::abort();
  // A text without a colon is one item: it can set group 0 only.
  if (ok && text.find(':') == std::string::npos) {
    for (int g = 1; g < 8; ++g)
      if (a.Group(g) != 0) std::abort();
  }

  uint32_t v4 = 0;
  if (StrToIPv4(text, v4)) {
    if (v4 == 0 || v4 == 0xFFFFFFFFu) std::abort();  // both refused
    uint32_t again = 0;
    if (!StrToIPv4(IPv4ToStr(v4), again) || again != v4) std::abort();
    const bool lastOctet255 = reinterpret_cast<const uint8_t*>(&v4)[3] == 255;
    if (IsBroadcast(TIPAddr::Create(v4)) != lastOctet255) std::abort();
  }
  return 0;
}
