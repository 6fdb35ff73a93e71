// Takes one privileged step as the program would, through the Linux driver
// it opens (the helper, when not root), and prints what came of it:
//   terminate LOCAL_IP LOCAL_PORT REMOTE_IP REMOTE_PORT   cuts that TCP connection
//   resolve IP                                             prints the neighbour's MAC
// Exit status 0 when the step worked, 1 when it did not, 2 when the driver
// did not open.
#include <arpa/inet.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "filter/IPUtil.h"
#include "platform/linux/LinuxDriver.h"
#include "platform/linux/NeighbourTable.h"
#include "platform/linux/NetStat.h"

namespace {

TIPAddr Address(const char* text) {
  uint32_t value = 0;
  ::inet_pton(AF_INET, text, &value);
  return TIPAddr::FromBytes(atIPv4, reinterpret_cast<const uint8_t*>(&value));
}

}  // namespace

int main(int argc, char** argv) {
  std::string whyNot;
  auto driver = OpenLinuxFilterDriver(whyNot);
  if (!driver) {
    std::fprintf(stderr, "%s\n", whyNot.c_str());
    return 2;
  }
  if (argc == 6 && std::strcmp(argv[1], "terminate") == 0) {
    TNetStatEntry entry;
    entry.FLocalAddr = Address(argv[2]);
    entry.FLocalPort = htons(static_cast<uint16_t>(std::stoi(argv[3])));
    entry.FRemoteAddr = Address(argv[4]);
    entry.FRemotePort = htons(static_cast<uint16_t>(std::stoi(argv[5])));
    try {
      entry.Terminate();
    } catch (const std::exception& error) {
      std::fprintf(stderr, "%s\n", error.what());
      return 1;
    }
    std::printf("terminated\n");
    return 0;
  }
  if (argc == 3 && std::strcmp(argv[1], "resolve") == 0) {
    THWAddr mac;
    if (!GetHWAddr(Address(argv[2]), mac)) return 1;
    for (int i = 0; i < 6; ++i) std::printf("%s%02x", i ? ":" : "", mac.FValue[i]);
    std::printf("\n");
    return 0;
  }
  std::fprintf(stderr, "usage: %s terminate LOCAL_IP LOCAL_PORT REMOTE_IP REMOTE_PORT | resolve IP\n", argv[0]);
  return 2;
}
