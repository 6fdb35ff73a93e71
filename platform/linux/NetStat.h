#pragma once
// The machine's established TCP connections, IPv4 and IPv6, read from the
// kernel's socket diagnostics, and the means to cut an IPv4 one.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "filter/IPUtil.h"

constexpr uint8_t kProtocolTcp = 0;
constexpr uint8_t kProtocolUdp = 1;
// TCP state numbers as the connection list shows them.
constexpr uint32_t kTcpStateEstablished = 5;
constexpr uint32_t kTcpStateDeleteTcb = 12;

class TNetStatEntry {
 public:
  uint8_t FProtocol = kProtocolTcp;
  TIPAddr FRemoteAddr;
  TIPAddr FLocalAddr;
  uint16_t FRemotePort = 0;  // network byte order
  uint16_t FLocalPort = 0;   // network byte order
  uint32_t FState = 0;

  static std::unique_ptr<TNetStatEntry> CreateCopy(const TNetStatEntry& source) {
    return std::make_unique<TNetStatEntry>(source);
  }

  // "TCP" or "UDP"; another protocol value is an internal error.
  std::string ProtocolText() const;
  // "192.168.1.5 : 49731"
  std::string LocalText() const;
  std::string RemoteText() const;
  std::string StateText() const;
  bool IsIPv6() const { return FLocalAddr.Ver == atIPv6 && FRemoteAddr.Ver == atIPv6; }
  // Asks the kernel to close the connection at once. IPv4 only: an IPv6
  // entry is an internal error. Throws the system's error when it fails.
  void Terminate() const;
};

class TNetStat {
 public:
  // Empties the list and reads the established connections again: IPv4 first,
  // then IPv6. Errors of the reading give fewer or no entries.
  void Reload();

  int Count() const { return static_cast<int>(FEntries.size()); }
  const TNetStatEntry& operator[](int index) const { return *FEntries.at(static_cast<size_t>(index)); }
  void Clear() { FEntries.clear(); }

 private:
  std::vector<std::unique_ptr<TNetStatEntry>> FEntries;
};
