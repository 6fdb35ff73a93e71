#include "platform/linux/FrameRing.h"

#include <arpa/inet.h>
#include <linux/filter.h>
#include <linux/if_ether.h>
#include <linux/if_packet.h>
#include <linux/if_tun.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/socket.h>

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <stdexcept>
#include <string>

#include "platform/linux/TapDevice.h"

namespace {

// 2 KiB slots hold a full-size frame behind the ring's own headers; 4096 of
// them are a burst at line rate while the engine is busy, as the TAP's queue was.
constexpr uint32_t kSlotBytes = 2048;
constexpr uint32_t kBlockBytes = 1 << 16;
constexpr uint32_t kBlockCount = 128;
constexpr uint32_t kSlotCount = kBlockBytes / kSlotBytes * kBlockCount;
constexpr size_t kMapBytes = size_t{kBlockBytes} * kBlockCount;
static_assert(kRingFrameBytes + TPACKET2_HDRLEN + 64 <= kSlotBytes, "a ring frame must fit its slot");

// Classic BPF, for the packet socket: only what the TAP transmits (not what
// is written into it and so received), and only frames that fit a slot.
constexpr sock_filter kRingTakes[] = {
    BPF_STMT(BPF_LD | BPF_W | BPF_ABS, static_cast<uint32_t>(SKF_AD_OFF + SKF_AD_PKTTYPE)),
    BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, PACKET_OUTGOING, 0, 3),
    BPF_STMT(BPF_LD | BPF_W | BPF_LEN, 0),
    BPF_JUMP(BPF_JMP | BPF_JGT | BPF_K, kRingFrameBytes, 1, 0),
    BPF_STMT(BPF_RET | BPF_K, 0xFFFFFFFF),
    BPF_STMT(BPF_RET | BPF_K, 0),
};
// For the TAP's queue: the frames the ring does not take.
constexpr sock_filter kTapKeeps[] = {
    BPF_STMT(BPF_LD | BPF_W | BPF_LEN, 0),
    BPF_JUMP(BPF_JMP | BPF_JGT | BPF_K, kRingFrameBytes, 0, 1),
    BPF_STMT(BPF_RET | BPF_K, 0xFFFFFFFF),
    BPF_STMT(BPF_RET | BPF_K, 0),
};

template <size_t N>
sock_fprog Program(const sock_filter (&code)[N]) {
  return {static_cast<unsigned short>(N), const_cast<sock_filter*>(code)};
}

void SetOption(int socket, int level, int name, const void* value, socklen_t size, const char* what) {
  if (::setsockopt(socket, level, name, value, size) < 0) ThrowSystemError(what);
}

void Bind(int socket, uint32_t index, uint16_t protocol, const std::string& device) {
  sockaddr_ll address{};
  address.sll_family = AF_PACKET;
  address.sll_protocol = htons(protocol);
  address.sll_ifindex = static_cast<int>(index);
  if (::bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) < 0)
    ThrowSystemError("binding a receive ring to " + device);
}

}  // namespace

TFileDescriptor OpenFrameRingSocket(TTapDevice& tap) {
  // Protocol 0 and bound before it listens: no frame of another device gets in.
  TFileDescriptor socket(::socket(AF_PACKET, SOCK_RAW | SOCK_CLOEXEC, 0), "packet socket for a receive ring");
  Bind(socket.Get(), tap.Index(), 0, tap.Name());
  const int version = TPACKET_V2;
  SetOption(socket.Get(), SOL_PACKET, PACKET_VERSION, &version, sizeof version, "choosing the ring version");
  const sock_fprog takes = Program(kRingTakes);
  SetOption(socket.Get(), SOL_SOCKET, SO_ATTACH_FILTER, &takes, sizeof takes, "filtering the receive ring");
  tpacket_req request{kBlockBytes, kBlockCount, kSlotBytes, kSlotCount};
  SetOption(socket.Get(), SOL_PACKET, PACKET_RX_RING, &request, sizeof request, "setting up a receive ring");
  Bind(socket.Get(), tap.Index(), ETH_P_ALL, tap.Name());
  // From here each short frame is in the ring; the TAP's queue keeps only the long ones.
  sock_fprog keeps = Program(kTapKeeps);
  if (::ioctl(tap.Fd(), TUNATTACHFILTER, &keeps) < 0) ThrowSystemError("filtering the queue of " + tap.Name());
  return socket;
}

TFrameRing::TFrameRing(TFileDescriptor socket) : FSocket(std::move(socket)) {
  void* map = ::mmap(nullptr, kMapBytes, PROT_READ | PROT_WRITE, MAP_SHARED, FSocket.Get(), 0);
  if (map == MAP_FAILED) ThrowSystemError("mapping a receive ring");
  FMap = static_cast<uint8_t*>(map);
}

TFrameRing::~TFrameRing() { ::munmap(FMap, kMapBytes); }

namespace {

// Copies the spans one after the other into the pieces; returns how much fit.
size_t Scatter(std::initializer_list<iovec> spans, const iovec* pieces, int count) {
  size_t copied = 0;
  int piece = 0;
  size_t offset = 0;  // within pieces[piece]
  for (const iovec& span : spans) {
    size_t done = 0;
    while (done < span.iov_len && piece < count) {
      const size_t part = std::min(pieces[piece].iov_len - offset, span.iov_len - done);
      std::memcpy(static_cast<uint8_t*>(pieces[piece].iov_base) + offset, static_cast<const uint8_t*>(span.iov_base) + done,
                  part);
      done += part;
      offset += part;
      copied += part;
      if (offset == pieces[piece].iov_len) {
        ++piece;
        offset = 0;
      }
    }
  }
  return copied;
}

constexpr size_t kMacAddressBytes = 12;

}  // namespace

size_t TFrameRing::Read(const iovec* pieces, int count) {
  for (;;) {
    auto* header = reinterpret_cast<tpacket2_hdr*>(FMap + size_t{FNext} * kSlotBytes);
    const uint32_t status = __atomic_load_n(&header->tp_status, __ATOMIC_ACQUIRE);
    if ((status & TP_STATUS_USER) == 0) return 0;
    uint8_t* frame = reinterpret_cast<uint8_t*>(header) + header->tp_mac;
    const size_t length = header->tp_snaplen;
    // The filter lets only whole frames in; a cut one is never handed on.
    const bool whole = header->tp_len == header->tp_snaplen && length >= kMacAddressBytes;
    size_t copied = 0;
    if (whole && (status & TP_STATUS_VLAN_VALID) != 0) {
      // The TAP carries a VLAN tag beside the frame, as the adapter
      // received it; the frame read from the TAP had it back in place.
      const uint16_t tpid = (status & TP_STATUS_VLAN_TPID_VALID) && header->tp_vlan_tpid ? header->tp_vlan_tpid : 0x8100;
      const uint8_t tag[4] = {uint8_t(tpid >> 8), uint8_t(tpid), uint8_t(header->tp_vlan_tci >> 8),
                              uint8_t(header->tp_vlan_tci)};
      copied = Scatter({{frame, kMacAddressBytes},
                        {const_cast<uint8_t*>(tag), sizeof tag},
                        {frame + kMacAddressBytes, length - kMacAddressBytes}},
                       pieces, count);
    } else if (whole) {
      copied = Scatter({{frame, length}}, pieces, count);
    }
    __atomic_store_n(&header->tp_status, TP_STATUS_KERNEL, __ATOMIC_RELEASE);
    FNext = (FNext + 1) % kSlotCount;
    if (whole) return copied;
  }
}

void TFrameRing::Drain() {
  char scratch[kSlotBytes];
  iovec piece{scratch, sizeof scratch};
  while (Read(&piece, 1) > 0) {
  }
}
