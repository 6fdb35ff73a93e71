#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

// A port list text that cannot be read; the message says which item is wrong.
class EPortListFormat : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class TPortProtocol : uint8_t { ppTcp = 1, ppUdp = 2 };

// A set of TPortProtocol as bits; 0 is the empty set.
using TPortProtoSet = uint8_t;

constexpr TPortProtoSet ProtoSetOf(TPortProtocol protocol) {
  return static_cast<TPortProtoSet>(protocol);
}
constexpr TPortProtoSet kBothProtocols = ProtoSetOf(TPortProtocol::ppTcp) | ProtoSetOf(TPortProtocol::ppUdp);

// The ports to drop TCP or UDP traffic to or from, and the per-frame test.
// The live instance is guarded by SettingsLock; it has no lock of its own.
class TPortBlocking {
 public:
  // Port number -> protocols blocked on it. A flat table with one entry per
  // possible port: a lookup is one indexed read, whatever the list looked like.
  class TPortList {
   public:
    TPortList();
    void Clear();
    bool Empty() const { return FCount == 0; }
    size_t Count() const { return FCount; }
    // Adds the protocols to those already blocked on the port.
    void Add(uint16_t port, TPortProtoSet protocols);
    // The protocols blocked on the port; 0 when the port is not listed.
    TPortProtoSet Find(uint16_t port) const { return FTable[port]; }

   private:
    std::vector<TPortProtoSet> FTable;
    size_t FCount = 0;
  };

  bool Enabled = false;
  TPortList Ports;

  // Replaces Ports by the ports of a text such as "135-139, u161, t445".
  // Throws EPortListFormat on the first bad item; the items before it stay.
  void SetPortList(const std::string& text);

  // Whether a frame (starting with its Ethernet header) carries TCP or UDP
  // traffic on a blocked port. Never throws, allocates nothing, and reads
  // only bytes below length: a malformed or truncated frame is not blocked.
  bool IsBlocked(const uint8_t* frame, uint32_t length) const;
};
