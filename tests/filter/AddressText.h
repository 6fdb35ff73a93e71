#pragma once
// An address from its text, IPv4 or IPv6, for tests; a text that is neither
// fails the test that gave it.
#include <gtest/gtest.h>

#include "filter/IPUtil.h"

inline TIPAddr Addr(const char* text) {
  uint32_t v4 = 0;
  if (StrToIPv4(text, v4)) return TIPAddr::Create(v4);
  TIn6_addr v6;
  EXPECT_TRUE(StrToIPv6(text, v6)) << text;
  return TIPAddr::Create(v6);
}
