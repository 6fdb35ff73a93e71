#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "capture/LibpcapWriter.h"

namespace fs = std::filesystem;

namespace {

class TFixedClock : public TCaptureClock {
 public:
  int64_t WallClockMs() const override { return 1704110400250; }  // 2024-01-01 12:00:00.250 UTC
  int64_t MonotonicNs() const override { return Monotonic; }
  int64_t Monotonic = 0;
};

// Runs a command and returns what it printed on standard output.
std::string Output(const std::string& command) {
  std::string text;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return text;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) text.append(buffer, n);
  pclose(pipe);
  return text;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// A real reader accepts our files: every record, with its length and time.
TEST(CaptureFile, IsReadByTshark) {
  if (std::system("command -v tshark >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "tshark is not installed; the file is not checked by a real reader";
  std::string dir = (fs::temp_directory_path() / "ot-tshark-XXXXXX").string();
  ASSERT_NE(mkdtemp(dir.data()), nullptr);
  const std::string path = dir + "/capture.pcap";

  const std::vector<uint32_t> lengths = {60, 1514, 42, 9014, 64};
  TFixedClock clock;
  {
    TLibpcapWriter writer(path, 0, {}, clock);
    for (uint32_t length : lengths) {
      std::vector<uint8_t> frame(length, 0);
      frame[12] = 0x08;  // IPv4 EtherType, the rest zero
      writer.Write(frame.data(), length);
      clock.Monotonic += 1'500'000'000;
    }
  }
  // Appended records must be read as part of the same capture.
  {
    TLibpcapWriter writer(path, 1, {}, clock);
    std::vector<uint8_t> frame(100, 0);
    writer.Write(frame.data(), 100);
  }

  const std::vector<std::string> rows = Lines(
      Output("tshark -r '" + path + "' -T fields -e frame.len -e frame.time_epoch 2>/dev/null"));
  fs::remove_all(dir);
  ASSERT_EQ(rows.size(), lengths.size() + 1);
  const std::vector<std::string> times = {"1704110400.250000000", "1704110401.750000000",
                                          "1704110403.250000000", "1704110404.750000000",
                                          "1704110406.250000000"};
  for (size_t i = 0; i < lengths.size(); ++i)
    EXPECT_EQ(rows[i], std::to_string(lengths[i]) + "\t" + times[i]) << "frame " << i;
  EXPECT_EQ(rows.back().substr(0, 4), "100\t");
}

}  // namespace
