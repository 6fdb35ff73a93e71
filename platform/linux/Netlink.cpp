#include "platform/linux/Netlink.h"

#include <sys/socket.h>

#include <cerrno>
#include <stdexcept>

TNetlinkMessage::TNetlinkMessage(uint16_t type, uint16_t flags) {
  FBuffer.resize(NLMSG_HDRLEN);
  Header()->nlmsg_type = type;
  Header()->nlmsg_flags = flags | NLM_F_REQUEST;
  Header()->nlmsg_len = NLMSG_HDRLEN;
}

size_t TNetlinkMessage::AppendRaw(const void* data, size_t size) {
  size_t offset = FBuffer.size();
  FBuffer.resize(offset + NLMSG_ALIGN(size), 0);
  std::memcpy(FBuffer.data() + offset, data, size);
  Header()->nlmsg_len = static_cast<uint32_t>(FBuffer.size());
  return offset;
}

void TNetlinkMessage::AddAttribute(uint16_t type, const void* data, size_t size) {
  rtattr attribute{};
  attribute.rta_type = type;
  attribute.rta_len = static_cast<unsigned short>(RTA_LENGTH(size));
  size_t offset = FBuffer.size();
  FBuffer.resize(offset + RTA_SPACE(size), 0);
  std::memcpy(FBuffer.data() + offset, &attribute, sizeof attribute);
  if (size > 0) std::memcpy(FBuffer.data() + offset + RTA_LENGTH(0), data, size);
  Header()->nlmsg_len = static_cast<uint32_t>(FBuffer.size());
}

size_t TNetlinkMessage::BeginNested(uint16_t type) {
  size_t position = FBuffer.size();
  AddAttribute(type, nullptr, 0);
  return position;
}

void TNetlinkMessage::EndNested(size_t position) {
  auto* attribute = reinterpret_cast<rtattr*>(FBuffer.data() + position);
  attribute->rta_len = static_cast<unsigned short>(FBuffer.size() - position);
}

TNetlinkSocket::TNetlinkSocket(int protocol)
    : FSocket(::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, protocol), "netlink socket") {
  sockaddr_nl local{};
  local.nl_family = AF_NETLINK;
  if (::bind(FSocket.Get(), reinterpret_cast<sockaddr*>(&local), sizeof local) < 0)
    ThrowSystemError("netlink bind");
  // Ask for the kernel's extended acknowledgements without the request echoed
  // back, so a large request does not come back as a large error.
  int one = 1;
  ::setsockopt(FSocket.Get(), SOL_NETLINK, NETLINK_CAP_ACK, &one, sizeof one);
}

void TNetlinkSocket::Send(TNetlinkMessage& message) {
  message.Header()->nlmsg_seq = ++FSequence;
  sockaddr_nl kernel{};
  kernel.nl_family = AF_NETLINK;
  ssize_t sent = ::sendto(FSocket.Get(), message.Header(), message.Size(), 0,
                          reinterpret_cast<sockaddr*>(&kernel), sizeof kernel);
  if (sent != static_cast<ssize_t>(message.Size())) ThrowSystemError("netlink send");
}

int TNetlinkSocket::ReceiveAnswer(const TMessageHandler& onMessage) {
  std::vector<char> buffer(1 << 16);
  for (;;) {
    ssize_t received = ::recv(FSocket.Get(), buffer.data(), buffer.size(), 0);
    if (received < 0) {
      if (errno == EINTR) continue;
      ThrowSystemError("netlink receive");
    }
    int remaining = static_cast<int>(received);
    for (auto* header = reinterpret_cast<nlmsghdr*>(buffer.data()); NLMSG_OK(header, remaining);
         header = NLMSG_NEXT(header, remaining)) {
      if (header->nlmsg_seq != FSequence) continue;  // a late answer to an earlier request
      if (header->nlmsg_type == NLMSG_DONE) return 0;
      if (header->nlmsg_type == NLMSG_ERROR) {
        return MessageRecord<nlmsgerr>(*header).error;
      }
      if (onMessage) onMessage(*header);
      if (!(header->nlmsg_flags & NLM_F_MULTI)) {
        // A single reply without NLM_F_MULTI is followed only by the ack, if asked for.
        continue;
      }
    }
  }
}

void TNetlinkSocket::Dump(TNetlinkMessage& message, const TMessageHandler& onMessage) {
  message.Header()->nlmsg_flags |= NLM_F_DUMP;
  Send(message);
  int error = ReceiveAnswer(onMessage);
  if (error != 0) {
    errno = -error;
    ThrowSystemError("netlink dump");
  }
}

int TNetlinkSocket::Request(TNetlinkMessage& message, const TMessageHandler& onMessage) {
  message.Header()->nlmsg_flags |= NLM_F_ACK;
  Send(message);
  return ReceiveAnswer(onMessage);
}

TAttributeTable::TAttributeTable(const void* first, size_t length, uint16_t maxType)
    : FItems(static_cast<size_t>(maxType) + 1) {
  int remaining = static_cast<int>(length);
  for (auto* attribute = static_cast<const rtattr*>(first); RTA_OK(attribute, remaining);
       attribute = RTA_NEXT(attribute, remaining)) {
    // Nested and byte-order flags of nlattr share the type field's top bits.
    uint16_t type = attribute->rta_type & NLA_TYPE_MASK;
    if (type < FItems.size()) FItems[type] = {RTA_DATA(attribute), RTA_PAYLOAD(attribute)};
  }
}

std::string TAttributeTable::Text(uint16_t type) const {
  if (!Has(type)) return {};
  const char* text = static_cast<const char*>(Data(type));
  return std::string(text, strnlen(text, Size(type)));
}
