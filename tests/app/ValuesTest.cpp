// The program's value helpers: sizes, the JSON line, the request encoding
// and the option words.
#include <gtest/gtest.h>

#include <QtEndian>

#include "app/InstanceProtocol.h"
#include "app/ProgramOptions.h"
#include "app/Statistics.h"

namespace {

TEST(FormatSize, ThresholdsOfAThousandDivisorsOf1024) {
  const std::pair<uint64_t, const char*> cases[] = {
      {0, "0"}, {999, "999"}, {1000, "0.98 KB"}, {10240, "10.0 KB"}, {1048576, "1.00 MB"},
      {999999999, "954 MB"}, {10ull * 1073741824, "10.0 GB"}};
  for (const auto& [bytes, text] : cases) EXPECT_EQ(FormatSize(bytes), text) << bytes;
}

TEST(Statistics, RowsSumBothDirections) {
  TEngineCounters c{};
  c.BytesIn = 1000;
  c.BytesOut = 5;
  c.DroppedIn = 2;
  c.DroppedOut = 3;
  c.CorruptedOut = 1;
  c.OversizedIn = 4;
  c.OversizedOut = 2;
  const auto rows = StatisticsRows(c);
  ASSERT_EQ(rows.size(), 7u);
  EXPECT_EQ(rows[0], std::make_pair(std::string("Bytes Received / Sent"), std::string("0.98 KB / 5")));
  EXPECT_EQ(rows[1].second, "5");
  EXPECT_EQ(rows[5], std::make_pair(std::string("Packets Corrupted"), std::string("1")));
  EXPECT_EQ(rows[6], std::make_pair(std::string("Jumbo Frames Passed"), std::string("6")));
}

TEST(Statistics, JsonCarriesEveryCounterByName) {
  TEngineCounters c{};
  c.FramesIn = 1;
  c.CorruptedOut = 18446744073709551615ull;
  TKernelPassedCounts kernel;
  kernel.FramesIn = 3;
  kernel.FramesOut = 4;
  kernel.BytesIn = 300;
  kernel.BytesOut = 400;
  const std::string json = CountersJson(c, 7, 8, kernel);
  EXPECT_EQ(json.rfind("{\"FramesIn\":1,\"FramesOut\":0,", 0), 0u) << json;
  EXPECT_NE(json.find("\"CorruptedOut\":18446744073709551615,\"OversizedIn\":0,\"OversizedOut\":0,"
                      "\"TickBytesIn\":7,\"TickBytesOut\":8,"
                      "\"KernelPassedFramesIn\":3,\"KernelPassedFramesOut\":4,"
                      "\"KernelPassedBytesIn\":300,\"KernelPassedBytesOut\":400}"),
            std::string::npos)
      << json;
}

TEST(InstanceRequest, RoundTripAndRefusals) {
  const TInstanceRequest request{4000, QString::fromUtf8("prog \"/tmp/\xC3\xA9 x.xml\"")};
  const QByteArray bytes = EncodeInstanceRequest(request);
  EXPECT_EQ(bytes.size(), 8 + 2 * (request.CommandLine.size() + 1));
  // Partial input waits for more.
  EXPECT_FALSE(DecodeInstanceRequest(bytes.left(5)).has_value());
  EXPECT_FALSE(DecodeInstanceRequest(bytes.left(bytes.size() - 1)).has_value());
  const auto decoded = DecodeInstanceRequest(bytes + "trailing");
  ASSERT_TRUE(decoded.has_value());
  EXPECT_EQ(decoded->first.Code, 4000u);
  EXPECT_EQ(decoded->first.CommandLine, request.CommandLine);
  EXPECT_EQ(decoded->second, bytes.size());

  EXPECT_EQ(EncodeInstanceRequest({4002, "ignored"}).size(), 8);
  auto header = [](uint32_t code, uint32_t count) {
    QByteArray h(8, '\0');
    qToLittleEndian(code, h.data());
    qToLittleEndian(count, h.data() + 4);
    return h;
  };
  EXPECT_THROW(DecodeInstanceRequest(header(4000, 0x7FFFFFFF)), std::runtime_error);
  EXPECT_THROW(DecodeInstanceRequest(header(4000, 3) + "abc"), std::runtime_error);
  EXPECT_THROW(DecodeInstanceRequest(header(4000, 2) + "ab"), std::runtime_error);
}

TEST(InstanceAnswer, OutcomeAndReasonRoundTrip) {
  const TInstanceAnswer refused{true, QString::fromUtf8("/tmp/\xC3\xA9.xml: Unable to open the profile")};
  const QByteArray bytes = EncodeInstanceAnswer(4000, refused);
  const auto decoded = DecodeInstanceAnswer(bytes);
  ASSERT_TRUE(decoded.has_value());
  EXPECT_EQ(decoded->first, 4000u);
  EXPECT_TRUE(decoded->second.Refused);
  EXPECT_EQ(decoded->second.Reason, refused.Reason);

  const auto done = DecodeInstanceAnswer(EncodeInstanceAnswer(4002, {}));
  ASSERT_TRUE(done.has_value());
  EXPECT_EQ(done->first, 4002u);
  EXPECT_FALSE(done->second.Refused);
  // An instance that echoes only the code has done what it was asked.
  const auto echoOnly = DecodeInstanceAnswer(bytes.left(4));
  ASSERT_TRUE(echoOnly.has_value());
  EXPECT_FALSE(echoOnly->second.Refused);
  // A cut or padded answer is none.
  for (const QByteArray& broken : {bytes.left(11), bytes.left(bytes.size() - 1), bytes + "x", QByteArray("ab")}) {
    EXPECT_FALSE(DecodeInstanceAnswer(broken).has_value()) << broken.size();
  }
}

TEST(ProgramOptions, OwnOptionsApartFromParametersInOrder) {
  const TProgramOptions o =
      ParseProgramOptions({"--headless", "a.xml", "--driver", "lab", "/runtime:3", "--stats-json", "-quit"});
  EXPECT_TRUE(o.Headless);
  EXPECT_TRUE(o.StatsJson);
  EXPECT_EQ(o.Driver, "lab");
  EXPECT_EQ(o.Parameters, (std::vector<std::string>{"a.xml", "/runtime:3", "-quit"}));
  EXPECT_TRUE(o.Error.empty());
  EXPECT_EQ(ParseProgramOptions({}).Driver, "linux");
  EXPECT_FALSE(ParseProgramOptions({"--driver=usb"}).Error.empty());
  EXPECT_FALSE(ParseProgramOptions({"--headles"}).Error.empty());
}

}  // namespace
