// Link traces: the loop and rate arithmetic, and the file reader's
// acceptance and refusals.

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "settings/LinkTrace.h"
#include "settings/LinkTraceFile.h"

namespace {

// Every opportunity of the first `loops` loops, written out one by one.
std::vector<uint64_t> Unrolled(const std::vector<uint32_t>& timestamps, uint32_t period, int loops) {
  std::vector<uint64_t> times;
  for (uint64_t k = 0; k < static_cast<uint64_t>(loops); ++k)
    for (uint32_t t : timestamps) times.push_back(k * period + t);
  return times;
}

TEST(LinkTrace, PeriodRateAndOpportunitiesOverLoops) {
  struct TCase {
    std::vector<uint32_t> Timestamps;
    uint32_t Period;
    double BitRate;
  };
  const TCase cases[] = {
      {{1, 2, 3, 4}, 4, 4 * 1504 * 8 * 1000.0 / 4},
      {{0}, 1, 1504 * 8 * 1000.0},  // a single 0: one opportunity every ms
      {{0, 0, 0}, 1, 3 * 1504 * 8 * 1000.0},
      {{0, 10}, 10, 2 * 1504 * 8 * 100.0},  // 10 and the next loop's 0 coincide
      {{5, 5, 5, 7, 100}, 100, 5 * 1504 * 8 * 10.0},
      {{3, 3, 9, 9}, 9, 4 * 1504 * 8 * 1000.0 / 9},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.Timestamps));
    const TLinkTrace trace(c.Timestamps);
    EXPECT_EQ(trace.PeriodMs(), c.Period);
    EXPECT_EQ(trace.OpportunityCount(), c.Timestamps.size());
    EXPECT_DOUBLE_EQ(trace.AverageBitRate(), c.BitRate);
    EXPECT_EQ(trace.AverageByteRate(), static_cast<int32_t>(std::llround(c.BitRate / 8)));
    // Against the opportunities counted one by one, over several loops and
    // at every millisecond, the loop points included.
    constexpr int kLoops = 6;
    const std::vector<uint64_t> times = Unrolled(c.Timestamps, c.Period, kLoops + 2);
    for (uint64_t ms = 0; ms <= uint64_t{kLoops} * c.Period + 1; ++ms) {
      const auto expected = std::count_if(times.begin(), times.end(), [ms](uint64_t t) { return t < ms; });
      ASSERT_EQ(trace.OpportunitiesBefore(ms), static_cast<uint64_t>(expected)) << "before ms " << ms;
    }
  }
}

TEST(LinkTrace, RefusesAnEmptyOrDecreasingList) {
  EXPECT_THROW(TLinkTrace({}), std::invalid_argument);
  EXPECT_THROW(TLinkTrace({1, 3, 2}), std::invalid_argument);
  EXPECT_EQ(TLinkTrace({7}).AverageByteRate(), 214857) << "1504 bytes per 7 ms";
  EXPECT_EQ(TLinkTrace({4000000000u}).AverageByteRate(), 1) << "a trace link never reads as unlimited";
}

TEST(LinkTraceFile, AcceptsEntriesAndRefusesTheFirstBadLine) {
  struct TCase {
    const char* Text;
    std::vector<uint32_t> Timestamps;  // empty when refused
    const char* Message;               // the refusal after the file's name
  };
  const TCase cases[] = {
      {"1\n2\n2\n5\n", {1, 2, 2, 5}, nullptr},
      {"0\n", {0}, nullptr},
      {"3\n4", {3, 4}, nullptr},
      {"3\n4\n\n\n  \n", {3, 4}, nullptr},
      {"3\r\n4\r\n\r\n", {3, 4}, nullptr},
      {" 7 \n\t8\n", {7, 8}, nullptr},
      {"4294967295\n", {4294967295u}, nullptr},
      {"", {}, " holds no delivery opportunities"},
      {"\n\n \n", {}, " holds no delivery opportunities"},
      {"1\n2\nx\n", {}, " has a bad entry on line 3: \"x\" is not a whole number of milliseconds"},
      {"1\n2.5\n", {}, " has a bad entry on line 2: \"2.5\" is not a whole number of milliseconds"},
      {"12ms\n", {}, " has a bad entry on line 1: \"12ms\" is not a whole number of milliseconds"},
      {"+3\n", {}, " has a bad entry on line 1: \"+3\" is not a whole number of milliseconds"},
      {"1 2\n", {}, " has a bad entry on line 1: \"1 2\" is not a whole number of milliseconds"},
      {"5\n-5\n", {}, " has a bad entry on line 2: \"-5\" is negative"},
      {"-\n", {}, " has a bad entry on line 1: \"-\" is not a whole number of milliseconds"},
      {"1\n4294967296\n", {}, " has a bad entry on line 2: \"4294967296\" is too large"},
      {"1\n5\n5\n4\n9\n", {}, " has a bad entry on line 4: \"4\" is earlier than the line before"},
      {"1\n\n2\n", {}, " has a bad entry on line 2: the line is blank"},
      {"1\n2\n\n\nx\n", {}, " has a bad entry on line 3: the line is blank"},
      {"1\nabcdefghijabcdefghijabcdefghijabcdefghijabcdefghij\n", {},
       " has a bad entry on line 2: \"abcdefghijabcdefghijabcdefghijabcdefghij...\" is not a whole number of "
       "milliseconds"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(std::string(c.Text)));
    std::istringstream in(c.Text);
    if (!c.Message) {
      EXPECT_EQ(ParseLinkTrace(in, "t").TimestampsMs(), c.Timestamps);
      continue;
    }
    try {
      ParseLinkTrace(in, "cell.trace");
      ADD_FAILURE() << "accepted";
    } catch (const ELinkTraceFile& e) {
      EXPECT_EQ(std::string(e.what()), std::string("The trace file \"cell.trace\"") + c.Message);
    }
  }
}

class LinkTraceFileOnDisk : public ::testing::Test {
 protected:
  ~LinkTraceFileOnDisk() override { std::filesystem::remove_all(Dir); }
  std::string Write(const std::string& name, const std::string& text) {
    const std::string path = (Dir / name).string();
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }
  std::filesystem::path Dir = [] {
    auto dir = std::filesystem::temp_directory_path() / ("ot-trace-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    return dir;
  }();
};

// The message ReadLinkTraceFile refuses the file with; empty if it reads it.
std::string RefusalOf(const std::string& path) {
  try {
    ReadLinkTraceFile(path);
  } catch (const ELinkTraceFile& e) {
    return e.what();
  }
  return {};
}

TEST_F(LinkTraceFileOnDisk, ReadsAFileAndNamesTheFileOfAnError) {
  const TLinkTrace trace = ReadLinkTraceFile(Write("good.trace", "10\n10\n20\n"));
  EXPECT_EQ(trace.TimestampsMs(), (std::vector<uint32_t>{10, 10, 20}));
  const std::string bad = Write("bad.trace", "10\n20\n15\n");
  EXPECT_EQ(RefusalOf(bad),
            "The trace file \"" + bad + "\" has a bad entry on line 3: \"15\" is earlier than the line before");
  const std::string empty = Write("empty.trace", "");
  EXPECT_EQ(RefusalOf(empty), "The trace file \"" + empty + "\" holds no delivery opportunities");
  const std::string missing = (Dir / "missing.trace").string();
  EXPECT_EQ(RefusalOf(missing), "Unable to open the trace file \"" + missing + "\": No such file or directory");
  // A directory opens but cannot be read: an error, not an empty trace.
  EXPECT_EQ(RefusalOf(Dir.string()), "Unable to read the trace file \"" + Dir.string() + "\"");
}

}  // namespace
