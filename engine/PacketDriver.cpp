#include "engine/PacketDriver.h"

#include <algorithm>
#include <cstring>

TAdapterName MakeAdapterName(const std::string& text) {
  TAdapterName name{};
  std::memcpy(name.data(), text.data(), std::min<size_t>(text.size(), kAdapterNameSize - 1));
  return name;
}

std::string AdapterNameText(const TAdapterName& name) {
  return std::string(name.data(), strnlen(name.data(), name.size()));
}
