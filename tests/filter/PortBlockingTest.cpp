#include "filter/PortBlocking.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/filter/PortBlockingFrames.h"

using namespace test_frames;

namespace {

std::unique_ptr<TPortBlocking> Blocking(const std::string& list) {
  auto blocking = std::make_unique<TPortBlocking>();
  blocking->SetPortList(list);
  blocking->Enabled = true;
  return blocking;
}

bool Blocks(const TPortBlocking& blocking, const TFrameShape& shape) {
  const std::vector<uint8_t> frame = BuildFrame(shape);
  return blocking.IsBlocked(frame.data(), static_cast<uint32_t>(frame.size()));
}

TFrameShape Tcp(uint16_t source, uint16_t destination) {
  TFrameShape shape;
  shape.Protocol = kTcp;
  shape.SourcePort = source;
  shape.DestinationPort = destination;
  return shape;
}

TFrameShape Udp(uint16_t source, uint16_t destination) {
  TFrameShape shape = Tcp(source, destination);
  shape.Protocol = kUdp;
  return shape;
}

// Which protocols a parsed list blocks on one port: "", "t", "u" or "tu".
std::string ProtocolsOn(const TPortBlocking& blocking, uint16_t port) {
  const TPortProtoSet set = blocking.Ports.Find(port);
  std::string text;
  if (set & ProtoSetOf(TPortProtocol::ppTcp)) text += "t";
  if (set & ProtoSetOf(TPortProtocol::ppUdp)) text += "u";
  return text;
}

struct TParsedCase {
  const char* List;
  uint16_t Port;
  const char* Protocols;
  size_t PortCount;
};

void PrintTo(const TParsedCase& c, std::ostream* out) { *out << '"' << c.List << "\" port " << c.Port; }

class PortListParses : public testing::TestWithParam<TParsedCase> {};

TEST_P(PortListParses, ToTheListedPorts) {
  const TParsedCase& c = GetParam();
  TPortBlocking blocking;
  blocking.SetPortList(c.List);
  EXPECT_EQ(ProtocolsOn(blocking, c.Port), c.Protocols);
  EXPECT_EQ(blocking.Ports.Count(), c.PortCount);
}

INSTANTIATE_TEST_SUITE_P(
    Items, PortListParses,
    testing::Values(TParsedCase{"135-139, u161, t445", 137, "tu", 7},
                    TParsedCase{"135-139, u161, t445", 161, "u", 7},
                    TParsedCase{"135-139, u161, t445", 445, "t", 7},
                    TParsedCase{"135-139, u161, t445", 140, "", 7},
                    TParsedCase{"T445", 445, "t", 1},
                    TParsedCase{"U53", 53, "u", 1},
                    TParsedCase{"t 445", 445, "t", 1},        // blank after the letter
                    TParsedCase{" 445 \t", 445, "tu", 1},     // trimmed at both ends
                    TParsedCase{"80-80", 80, "tu", 1},
                    TParsedCase{"0", 0, "tu", 1},
                    TParsedCase{"65535", 65535, "tu", 1},
                    TParsedCase{"t80, u80", 80, "tu", 1},     // sets of one port unite
                    TParsedCase{"t0-65535", 65535, "t", 65536},
                    TParsedCase{"+25", 25, "tu", 1},
                    TParsedCase{"u 10- 12", 12, "u", 3},      // blanks before a number
                    TParsedCase{"", 0, "", 0}));

struct TRejectedCase {
  const char* List;
  const char* Message;
};

void PrintTo(const TRejectedCase& c, std::ostream* out) { *out << '"' << c.List << '"'; }

class PortListRejects : public testing::TestWithParam<TRejectedCase> {};

TEST_P(PortListRejects, WithTheMessageOfTheFirstBadItem) {
  const TRejectedCase& c = GetParam();
  TPortBlocking blocking;
  try {
    blocking.SetPortList(c.List);
    FAIL() << "accepted \"" << c.List << "\"";
  } catch (const EPortListFormat& e) {
    EXPECT_STREQ(e.what(), c.Message);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Items, PortListRejects,
    testing::Values(TRejectedCase{"81-80", "in ranges from must be less than to"},
                    TRejectedCase{"65536", "65536 is out of range"},
                    TRejectedCase{"1-65536", "65536 is out of range"},
                    TRejectedCase{"1--3", "-3 is out of range"},
                    TRejectedCase{"135-139,", "'' is not a valid integer value"},
                    TRejectedCase{"t", "'' is not a valid integer value"},
                    TRejectedCase{"-5", "'' is not a valid integer value"},
                    TRejectedCase{"5-", "'' is not a valid integer value"},
                    TRejectedCase{"135 - 139", "'135 ' is not a valid integer value"},
                    TRejectedCase{"80 443", "'80 443' is not a valid integer value"},
                    TRejectedCase{"x80", "'x80' is not a valid integer value"},
                    TRejectedCase{"0x50", "'0x50' is not a valid integer value"},
                    TRejectedCase{"4294967376", "'4294967376' is not a valid integer value"},
                    TRejectedCase{"2147483648", "'2147483648' is not a valid integer value"},
                    TRejectedCase{"-2147483648", "'' is not a valid integer value"},
                    TRejectedCase{"t+-3", "'+' is not a valid integer value"},
                    // both sides are converted before either is range-checked
                    TRejectedCase{"70000-x", "'x' is not a valid integer value"},
                    TRejectedCase{"70000-1", "70000 is out of range"}));

TEST(PortList, KeepsThePortsBeforeABadItemAndReplacesTheOldList) {
  TPortBlocking blocking;
  blocking.SetPortList("9000");
  EXPECT_THROW(blocking.SetPortList("t80, 81-80, 443"), EPortListFormat);
  EXPECT_EQ(ProtocolsOn(blocking, 80), "t");
  EXPECT_EQ(ProtocolsOn(blocking, 443), "");
  EXPECT_EQ(ProtocolsOn(blocking, 9000), "");
  EXPECT_FALSE(blocking.Enabled);  // the parser never switches blocking on
}

TEST(IsBlocked, ListedPortsByProtocol) {
  const auto blocking = Blocking("135-139, u161, t445");
  EXPECT_TRUE(Blocks(*blocking, Tcp(50000, 137)));
  EXPECT_TRUE(Blocks(*blocking, Udp(50000, 137)));
  EXPECT_FALSE(Blocks(*blocking, Tcp(50000, 161)));
  EXPECT_TRUE(Blocks(*blocking, Udp(50000, 161)));
  EXPECT_FALSE(Blocks(*blocking, Udp(50000, 445)));
  EXPECT_TRUE(Blocks(*blocking, Tcp(445, 50000)));  // the source port counts too
  EXPECT_FALSE(Blocks(*blocking, Tcp(50000, 140)));
}

TEST(IsBlocked, TheSourcePortsEntryDecidesAlone) {
  const auto blocking = Blocking("u53, t80");
  EXPECT_FALSE(Blocks(*blocking, Tcp(53, 80)));
  EXPECT_TRUE(Blocks(*blocking, Tcp(1024, 80)));
  EXPECT_TRUE(Blocks(*blocking, Udp(53, 80)));
}

TEST(IsBlocked, NothingWhenDisabledOrEmpty) {
  auto blocking = Blocking("80");
  blocking->Enabled = false;
  EXPECT_FALSE(Blocks(*blocking, Tcp(1024, 80)));
  blocking = Blocking("");
  EXPECT_FALSE(Blocks(*blocking, Tcp(1024, 80)));
  EXPECT_FALSE(Blocks(*blocking, Tcp(0, 0)));
}

TEST(IsBlocked, LooksPastOneVlanTagAndIntoIPv6) {
  const auto blocking = Blocking("80");
  TFrameShape tagged = Tcp(1024, 80);
  tagged.VlanTag = true;
  EXPECT_TRUE(Blocks(*blocking, tagged));

  TFrameShape ipv6 = Udp(1024, 80);
  ipv6.EtherType = 0x86DD;
  EXPECT_TRUE(Blocks(*blocking, ipv6));
  ipv6.VlanTag = true;
  EXPECT_TRUE(Blocks(*blocking, ipv6));

  TFrameShape withOptions = Tcp(1024, 80);
  withOptions.IPv4HeaderWords = 15;  // 60-byte header: the ports start later
  EXPECT_TRUE(Blocks(*blocking, withOptions));
}

TEST(IsBlocked, OtherFramesAreNeverBlocked) {
  const auto blocking = Blocking("0-65535");
  TFrameShape arp = Tcp(80, 80);
  arp.EtherType = 0x0806;
  EXPECT_FALSE(Blocks(*blocking, arp));

  TFrameShape extensionHeader = Tcp(80, 80);
  extensionHeader.EtherType = 0x86DD;
  extensionHeader.Protocol = 0;  // hop-by-hop options: not followed
  EXPECT_FALSE(Blocks(*blocking, extensionHeader));

  TFrameShape icmp = Tcp(80, 80);
  icmp.Protocol = 1;
  EXPECT_FALSE(Blocks(*blocking, icmp));

  TFrameShape twoTags = Tcp(80, 80);
  twoTags.VlanTag = true;
  twoTags.EtherType = 0x8100;  // a second tag is not looked past
  EXPECT_FALSE(Blocks(*blocking, twoTags));

  TFrameShape badHeaderLength = Tcp(80, 80);
  badHeaderLength.IPv4HeaderWords = 2;  // shorter than an IPv4 header can be
  EXPECT_FALSE(Blocks(*blocking, badHeaderLength));
}

// Every prefix of a blocked frame is blocked exactly when it still holds the
// four port bytes. The prefix is copied into a buffer of its own size, so
// AddressSanitizer sees any read past the length.
TEST(IsBlocked, ReadsOnlyWithinTheLength) {
  const auto blocking = Blocking("80");
  for (bool ipv6 : {false, true}) {
    for (bool tagged : {false, true}) {
      TFrameShape shape = Tcp(1024, 80);
      shape.EtherType = ipv6 ? 0x86DD : 0x0800;
      shape.VlanTag = tagged;
      shape.Payload = 0;
      const std::vector<uint8_t> frame = BuildFrame(shape);
      for (size_t length = 0; length <= frame.size(); ++length) {
        std::vector<uint8_t> prefix(frame.begin(), frame.begin() + length);
        const uint8_t* data = prefix.empty() ? frame.data() : prefix.data();
        EXPECT_EQ(blocking->IsBlocked(data, static_cast<uint32_t>(length)), length == frame.size())
            << "ipv6=" << ipv6 << " tagged=" << tagged << " length=" << length;
      }
    }
  }
}

}  // namespace
