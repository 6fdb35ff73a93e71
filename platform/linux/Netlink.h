#pragma once
// A netlink socket of one protocol (rtnetlink, sock_diag) with the two
// exchanges this layer needs: a dump, and a request answered by an
// acknowledgement. The socket belongs to the network namespace of the thread
// that creates it.
#include <linux/netlink.h>
#include <linux/rtnetlink.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "common/FileDescriptor.h"

// One request under construction: the header, a fixed family record, then
// attributes.
class TNetlinkMessage {
 public:
  TNetlinkMessage(uint16_t type, uint16_t flags);

  template <typename T>
  T& Append(const T& record) {
    size_t offset = AppendRaw(&record, sizeof record);
    return *reinterpret_cast<T*>(FBuffer.data() + offset);
  }
  void AddAttribute(uint16_t type, const void* data, size_t size);
  template <typename T>
  void AddAttribute(uint16_t type, const T& value) { AddAttribute(type, &value, sizeof value); }
  // Opens an attribute that holds attributes: those added until EndNested
  // (with the returned position) go inside it.
  size_t BeginNested(uint16_t type);
  void EndNested(size_t position);

  nlmsghdr* Header() { return reinterpret_cast<nlmsghdr*>(FBuffer.data()); }
  size_t Size() const { return FBuffer.size(); }

 private:
  size_t AppendRaw(const void* data, size_t size);
  std::vector<char> FBuffer;
};

class TNetlinkSocket {
 public:
  explicit TNetlinkSocket(int protocol);

  using TMessageHandler = std::function<void(const nlmsghdr&)>;
  // Sends the message with NLM_F_DUMP and hands every answer to onMessage
  // until the kernel says the dump is done. An error answer throws.
  void Dump(TNetlinkMessage& message, const TMessageHandler& onMessage);
  // Sends the message asking for an acknowledgement; replies before it go to
  // onMessage. Returns 0 or the negative errno the kernel answered.
  int Request(TNetlinkMessage& message, const TMessageHandler& onMessage = {});

 private:
  void Send(TNetlinkMessage& message);
  // Receives until the answer to the current sequence number ends; returns
  // the kernel's error (0 for success or a finished dump).
  int ReceiveAnswer(const TMessageHandler& onMessage);

  TFileDescriptor FSocket;
  uint32_t FSequence = 0;
};

// The attributes of one message, indexed by type (types above the table's
// size are ignored). Works for rtattr and nlattr, which share one layout.
class TAttributeTable {
 public:
  TAttributeTable(const void* first, size_t length, uint16_t maxType);

  bool Has(uint16_t type) const { return type < FItems.size() && FItems[type].Data; }
  const void* Data(uint16_t type) const { return Has(type) ? FItems[type].Data : nullptr; }
  size_t Size(uint16_t type) const { return Has(type) ? FItems[type].Size : 0; }
  std::string Text(uint16_t type) const;
  template <typename T>
  bool Read(uint16_t type, T& value) const {
    if (Size(type) < sizeof(T)) return false;
    std::memcpy(&value, Data(type), sizeof(T));
    return true;
  }

 private:
  struct TItem {
    const void* Data = nullptr;
    size_t Size = 0;
  };
  std::vector<TItem> FItems;
};

// The attributes that follow a message's fixed record of type T.
template <typename T>
TAttributeTable MessageAttributes(const nlmsghdr& header, uint16_t maxType) {
  const char* payload = static_cast<const char*>(NLMSG_DATA(&header));
  size_t fixed = NLMSG_ALIGN(sizeof(T));
  size_t total = header.nlmsg_len - NLMSG_HDRLEN;
  return TAttributeTable(payload + fixed, total > fixed ? total - fixed : 0, maxType);
}

template <typename T>
const T& MessageRecord(const nlmsghdr& header) {
  return *static_cast<const T*>(NLMSG_DATA(&header));
}
