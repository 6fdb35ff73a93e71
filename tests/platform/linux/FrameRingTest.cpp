// The receive ring on a TAP: what the TAP transmits and fits a slot comes
// out of the ring, whole and in order, and nowhere else; longer frames and
// frames written into the TAP stay out of it.
#include <gtest/gtest.h>
#include <net/if.h>
#include <sys/ioctl.h>
#include <sys/socket.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/linux/FrameRing.h"
#include "platform/linux/PacketSocket.h"
#include "platform/linux/TapDevice.h"
#include "tests/platform/linux/NetnsLab.h"

namespace {

std::vector<uint8_t> Frame(size_t length, uint8_t seed) {
  std::vector<uint8_t> frame(length);
  for (size_t i = 0; i < length; ++i) frame[i] = static_cast<uint8_t>(seed + i * 7);
  // Ethernet addresses nobody has, and a type nobody handles.
  frame[0] = 0x02;
  frame[6] = 0x02;
  frame[12] = 0x88;
  frame[13] = 0xB5;
  return frame;
}

void SetMtu(const std::string& device, int mtu) {
  TFileDescriptor control(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0), "control socket");
  ifreq request{};
  std::strncpy(request.ifr_name, device.c_str(), IFNAMSIZ - 1);
  request.ifr_mtu = mtu;
  if (::ioctl(control.Get(), SIOCSIFMTU, &request) < 0) ThrowSystemError("setting the MTU of " + device);
}

std::vector<uint8_t> ReadRing(TFrameRing& ring) {
  std::vector<uint8_t> bytes(kRingFrameBytes + 64);
  iovec piece{bytes.data(), bytes.size()};
  bytes.resize(ring.Read(&piece, 1));
  return bytes;
}

std::vector<uint8_t> ReadTap(TTapDevice& tap) {
  std::vector<uint8_t> bytes(1 << 16);
  iovec piece{bytes.data(), bytes.size()};
  bytes.resize(tap.Read(&piece, 1));
  return bytes;
}

bool Transmit(TPacketSocket& port, std::vector<uint8_t>& frame) {
  iovec piece{frame.data(), frame.size()};
  return port.Send(&piece, 1);
}

TEST(FrameRing, TakesWhatTheTapTransmitsUpToItsSlotAndLeavesTheRestToTheTap) {
  OT_REQUIRE_NETNS();
  TNetnsLab lab;
  TNetnsEnter inside(lab.AddNamespace("ring"));
  TTapDevice tap("otringtest%d");
  SetMtu(tap.Name(), 9000);
  TFrameRing ring(OpenFrameRingSocket(tap));
  // Sending on a packet socket bound to the TAP is the TAP transmitting, as
  // a frame the steal program redirects into it is.
  TPacketSocket port(tap.Index(), 0);

  const size_t fit = kRingFrameBytes;
  std::vector<std::vector<uint8_t>> frames = {Frame(60, 1), Frame(1514, 2), Frame(fit, 3), Frame(fit + 1, 4),
                                              Frame(9000, 5), Frame(100, 6)};
  for (auto& frame : frames) ASSERT_TRUE(Transmit(port, frame)) << frame.size();

  // In the ring, in order: every frame of at most kRingFrameBytes.
  EXPECT_EQ(ReadRing(ring), frames[0]);
  EXPECT_EQ(ReadRing(ring), frames[1]);
  EXPECT_EQ(ReadRing(ring), frames[2]);
  EXPECT_EQ(ReadRing(ring), frames[5]);
  EXPECT_TRUE(ReadRing(ring).empty());
  // In the TAP: the longer ones only, never cut.
  EXPECT_EQ(ReadTap(tap), frames[3]);
  EXPECT_EQ(ReadTap(tap), frames[4]);
  EXPECT_TRUE(ReadTap(tap).empty());

  // A frame written into the TAP is one it receives: not for the ring.
  std::vector<uint8_t> received = Frame(200, 7);
  iovec piece{received.data(), received.size()};
  ASSERT_TRUE(tap.Write(&piece, 1));
  EXPECT_TRUE(ReadRing(ring).empty());
}

TEST(FrameRing, GoesRoundMoreThanOnceAndDrainsToEmpty) {
  OT_REQUIRE_NETNS();
  TNetnsLab lab;
  TNetnsEnter inside(lab.AddNamespace("ring"));
  TTapDevice tap("otringtest%d");
  TFrameRing ring(OpenFrameRingSocket(tap));
  TPacketSocket port(tap.Index(), 0);
  // Three times round a ring of 4096 slots, a few hundred frames at a time.
  for (int round = 0; round < 40; ++round) {
    for (int i = 0; i < 300; ++i) {
      std::vector<uint8_t> frame = Frame(64 + i, static_cast<uint8_t>(round + i));
      ASSERT_TRUE(Transmit(port, frame));
    }
    for (int i = 0; i < 300; ++i)
      ASSERT_EQ(ReadRing(ring), Frame(64 + i, static_cast<uint8_t>(round + i))) << round << " " << i;
    ASSERT_TRUE(ReadRing(ring).empty());
  }
  std::vector<uint8_t> frame = Frame(64, 9);
  ASSERT_TRUE(Transmit(port, frame));
  ring.Drain();
  EXPECT_TRUE(ReadRing(ring).empty());
}

}  // namespace
