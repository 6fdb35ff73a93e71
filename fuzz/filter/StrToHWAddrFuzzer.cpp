// Any text through StrToHWAddr, checked against the address rule written
// out plainly: after removing hyphens and colons (and surrounding blanks),
// exactly twelve hex digits. An accepted address prints and parses back.
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "filter/IPUtil.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  THWAddr a;
  const bool ok = StrToHWAddr(text, a);

  std::string trimmed = text;
  while (!trimmed.empty() && (trimmed.front() == ' ' || trimmed.front() == '\t')) trimmed.erase(0, 1);
  while (!trimmed.empty() && (trimmed.back() == ' ' || trimmed.back() == '\t')) trimmed.pop_back();
  std::string digits;
  for (char c : trimmed)
    if (c != '-' && c != ':') digits += c;
  bool expected = digits.size() == 12;
  for (char c : digits) expected = expected && std::isxdigit(static_cast<unsigned char>(c));
  if (ok != expected) std::abort();

  if (ok) {
    for (int b = 0; b < 6; ++b)
      if (a.FValue[b] != std::stoul(digits.substr(2 * b, 2), nullptr, 16)) std::abort();
    const std::string printed = HWAddrToStr(a);
    THWAddr back;
    if (printed.size() != 12 || !StrToHWAddr(printed, back) || !(back == a)) std::abort();
  }
  if (!(THWAddr::Create(text) == a)) std::abort();
  return 0;
}
