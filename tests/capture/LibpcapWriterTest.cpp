#include "capture/LibpcapWriter.h"

#include <gtest/gtest.h>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <future>
#include <latch>
#include <memory>
#include <optional>
#include <thread>

#include "capture/CaptureFileOpen.h"
#include "tests/capture/CaptureFileReader.h"
#include "tests/capture/FileSizeLimit.h"

using namespace capture_reader;
namespace fs = std::filesystem;

namespace {

const std::vector<uint8_t> kGlobalHeader = {0xD4, 0xC3, 0xB2, 0xA1, 0x02, 0x00, 0x04, 0x00,
                                            0,    0,    0,    0,    0,    0,    0,    0,
                                            0xFF, 0xFF, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00};

// 2024-01-01 12:00:00.250 UTC.
constexpr int64_t kNoonAndAQuarter = 1704110400250;

class TFakeClock : public TCaptureClock {
 public:
  int64_t WallClockMs() const override { return Wall.load(); }
  int64_t MonotonicNs() const override { return Monotonic.load(); }
  std::atomic<int64_t> Wall{kNoonAndAQuarter};
  std::atomic<int64_t> Monotonic{5'000'000'000};  // the stopwatch's origin is arbitrary
};

std::vector<uint8_t> Frame(uint32_t size, uint8_t seed) {
  std::vector<uint8_t> frame(size);
  for (uint32_t i = 0; i < size; ++i) frame[i] = static_cast<uint8_t>(seed + i);
  return frame;
}

void WriteFrame(TLibpcapWriter& writer, const std::vector<uint8_t>& frame) {
  writer.Write(frame.data(), static_cast<uint32_t>(frame.size()));
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const ECaptureFileError& e) {
    return e.what();
  }
  return "(no error)";
}

class LibpcapWriterTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "ot-capture-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    Dir = pattern;
  }
  void TearDown() override { fs::remove_all(Dir); }
  std::string PathOf(const std::string& name) const { return (Dir / name).string(); }

  fs::path Dir;
  TFakeClock Clock;
};

TEST_F(LibpcapWriterTest, NewFileInEveryModeStartsWithTheGlobalHeader) {
  for (int mode = 0; mode <= 2; ++mode) {
    const std::string path = PathOf("new" + std::to_string(mode) + ".pcap");
    { TLibpcapWriter writer(path, mode); }
    EXPECT_EQ(ReadBytes(path), kGlobalHeader) << "mode " << mode;
  }
}

TEST_F(LibpcapWriterTest, RecordIsHeaderThenTheUncutFrame) {
  const std::string path = PathOf("records.pcap");
  const std::vector<uint8_t> small = Frame(60, 1);
  const std::vector<uint8_t> jumbo = Frame(9014, 7);  // longer than a standard frame: never cut
  {
    TLibpcapWriter writer(path, 0, {}, Clock);
    WriteFrame(writer, small);
    WriteFrame(writer, Frame(0, 0));
    WriteFrame(writer, jumbo);
  }
  const std::vector<uint8_t> bytes = ReadBytes(path);
  ASSERT_EQ(bytes.size(), 24u + 76 + 16 + 16 + 9014);
  EXPECT_EQ(LittleEndian32(bytes, 24 + 8), 60u);
  EXPECT_EQ(LittleEndian32(bytes, 24 + 12), 60u);
  bool complete = false;
  const std::vector<TRecord> records = ParseRecords(bytes, 24, &complete);
  EXPECT_TRUE(complete);
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[0].Data, small);
  EXPECT_EQ(records[1].CapturedLength, 0u);
  EXPECT_EQ(records[2].Data, jumbo);
  EXPECT_EQ(records[2].WireLength, 9014u);
}

TEST_F(LibpcapWriterTest, TimestampsAreStartTimePlusWholeStopwatchMilliseconds) {
  const std::string path = PathOf("times.pcap");
  {
    TLibpcapWriter writer(path, 0, {}, Clock);
    const std::vector<uint8_t> frame = Frame(60, 0);
    WriteFrame(writer, frame);                 // at once: 12:00:00.250
    Clock.Monotonic += 1'500'000'000;
    WriteFrame(writer, frame);                 // 1.5 s later: 12:00:01.750
    Clock.Monotonic += 999'999;
    WriteFrame(writer, frame);                 // not yet a whole millisecond more
    Clock.Wall -= 3'600'000;                   // the wall clock is set back an hour
    Clock.Monotonic += 250'000'001;
    WriteFrame(writer, frame);                 // the records go on with the stopwatch: 12:00:02.001
  }
  const std::vector<TRecord> records = ParseRecords(ReadBytes(path));
  ASSERT_EQ(records.size(), 4u);
  const uint32_t noon = 1704110400;
  const std::vector<std::pair<uint32_t, uint32_t>> expected = {
      {noon, 250000}, {noon + 1, 750000}, {noon + 1, 750000}, {noon + 2, 1000}};
  for (size_t i = 0; i < records.size(); ++i) {
    EXPECT_EQ(records[i].Seconds, expected[i].first) << "record " << i;
    EXPECT_EQ(records[i].Microseconds, expected[i].second) << "record " << i;
  }
}

TEST_F(LibpcapWriterTest, SystemClockTimestampsAreNow) {
  const std::string path = PathOf("now.pcap");
  const auto before = std::chrono::system_clock::now();
  { TLibpcapWriter writer(path, 0); WriteFrame(writer, Frame(60, 0)); }
  const auto after = std::chrono::system_clock::now();
  const std::vector<TRecord> records = ParseRecords(ReadBytes(path));
  ASSERT_EQ(records.size(), 1u);
  const int64_t stampMs = records[0].Seconds * int64_t{1000} + records[0].Microseconds / 1000;
  using std::chrono::milliseconds;
  EXPECT_GE(stampMs, std::chrono::duration_cast<milliseconds>(before.time_since_epoch()).count());
  EXPECT_LE(stampMs, std::chrono::duration_cast<milliseconds>(after.time_since_epoch()).count());
  EXPECT_EQ(records[0].Microseconds % 1000, 0u);
}

TEST_F(LibpcapWriterTest, AppendAddsRecordsOnlyToANonEmptyFile) {
  const std::string path = PathOf("append.pcap");
  { TLibpcapWriter writer(path, 1, {}, Clock); WriteFrame(writer, Frame(60, 1)); }
  const std::vector<uint8_t> first = ReadBytes(path);
  { TLibpcapWriter writer(path, 1, {}, Clock); WriteFrame(writer, Frame(70, 2)); }
  const std::vector<uint8_t> both = ReadBytes(path);
  ASSERT_EQ(both.size(), first.size() + 16 + 70);
  EXPECT_TRUE(std::equal(first.begin(), first.end(), both.begin()));
  const std::vector<TRecord> records = ParseRecords(both);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[1].Data, Frame(70, 2));

  // Whatever a non-empty file holds, append does not look at it.
  const std::string other = PathOf("foreign.bin");
  WriteFile(other, {'x', 'y', 'z'});
  { TLibpcapWriter writer(other, 1, {}, Clock); WriteFrame(writer, Frame(10, 3)); }
  EXPECT_EQ(ReadBytes(other).size(), 3u + 16 + 10);
}

TEST_F(LibpcapWriterTest, AppendToAnEmptyFileWritesTheHeaderFirst) {
  const std::string path = PathOf("empty.pcap");
  WriteFile(path, {});
  { TLibpcapWriter writer(path, 1, {}, Clock); WriteFrame(writer, Frame(60, 1)); }
  const std::vector<uint8_t> bytes = ReadBytes(path);
  ASSERT_EQ(bytes.size(), 24u + 76);
  EXPECT_TRUE(std::equal(kGlobalHeader.begin(), kGlobalHeader.end(), bytes.begin()));
}

TEST_F(LibpcapWriterTest, OverwriteTruncatesAnExistingFile) {
  const std::string path = PathOf("old.pcap");
  WriteFile(path, std::vector<uint8_t>(5000, 0xEE));
  { TLibpcapWriter writer(path, 0, {}, Clock); WriteFrame(writer, Frame(60, 1)); }
  EXPECT_EQ(ReadBytes(path).size(), 24u + 76);
}

TEST_F(LibpcapWriterTest, AutoRenameWritesTheFirstFreeName) {
  const std::string path = PathOf("capture.pcap");
  {
    TLibpcapWriter writer(path, 2, {}, Clock);
    EXPECT_EQ(writer.FileName(), path);
  }
  {
    TLibpcapWriter writer(path, 2, {}, Clock);
    EXPECT_EQ(writer.FileName(), PathOf("capture-0001.pcap"));
  }
  {
    TLibpcapWriter writer(path, 2, {}, Clock);
    WriteFrame(writer, Frame(60, 1));
    EXPECT_EQ(writer.FileName(), PathOf("capture-0002.pcap"));
  }
  EXPECT_EQ(ReadBytes(PathOf("capture-0002.pcap")).size(), 24u + 76);
  EXPECT_EQ(ReadBytes(path), kGlobalHeader);  // the existing files stay as they were

  const std::string bare = PathOf("capture");
  WriteFile(bare, {});
  TLibpcapWriter writer(bare, 2, {}, Clock);
  EXPECT_EQ(writer.FileName(), PathOf("capture-0001"));
}

TEST(AutoRenameCandidate, Names) {
  EXPECT_EQ(AutoRenameCandidate("/tmp/x/capture.pcap", 1), "/tmp/x/capture-0001.pcap");
  EXPECT_EQ(AutoRenameCandidate("/tmp/x/capture.pcap", 9999), "/tmp/x/capture-9999.pcap");
  EXPECT_EQ(AutoRenameCandidate("/tmp/x/capture.pcap", 10000), "/tmp/x/capture-10000.pcap");
  EXPECT_EQ(AutoRenameCandidate("capture.tar.pcap", 2), "capture.tar-0002.pcap");
  EXPECT_EQ(AutoRenameCandidate("/tmp/x.d/capture", 3), "/tmp/x.d/capture-0003");
}

TEST_F(LibpcapWriterTest, RefusesAWriteModeOutsideTheListAndOpensNothing) {
  const std::string path = PathOf("mode.pcap");
  EXPECT_EQ(ErrorOf([&] { TLibpcapWriter writer(path, 3); }), "Invalid session write mode: 3");
  EXPECT_EQ(ErrorOf([&] { TLibpcapWriter writer(path, -1); }), "Invalid session write mode: -1");
  EXPECT_FALSE(fs::exists(path));
}

TEST_F(LibpcapWriterTest, OpeningFailuresNameTheFileAndTheSystemReason) {
  const std::string missingDir = PathOf("no/such.pcap");
  for (int mode = 0; mode <= 2; ++mode)
    EXPECT_EQ(ErrorOf([&] { TLibpcapWriter writer(missingDir, mode); }),
              "Cannot create file \"" + missingDir + "\". No such file or directory");
  // A header that cannot be written fails the creation with the system's reason.
  TFileSizeLimit limit(10);
  EXPECT_EQ(ErrorOf([&] { TLibpcapWriter writer(PathOf("short.pcap"), 0); }), "File too large");
}

// Only a regular file is ever written. Overwrite and append refuse any other
// target by name, and leave it as it was; auto rename passes over the taken
// name to the next free one. A symbolic link is never followed, so the file
// it points at stays intact.
TEST_F(LibpcapWriterTest, ACaptureTargetMustBeARegularFile) {
  const std::string victim = PathOf("victim");
  WriteFile(victim, {'k', 'e', 'e', 'p'});
  const std::string link = PathOf("link.pcap");
  ASSERT_EQ(symlink(victim.c_str(), link.c_str()), 0);
  const std::string dangling = PathOf("dangling.pcap");
  ASSERT_EQ(symlink(PathOf("nowhere").c_str(), dangling.c_str()), 0);
  const std::string fifo = PathOf("fifo.pcap");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string directory = PathOf("folder.pcap");
  fs::create_directory(directory);
  const std::string suffix = "; a capture is written only to a regular file.";
  const struct {
    std::string Path;
    std::string Reason;
  } targets[] = {
      {link, "It is a symbolic link" + suffix},
      {dangling, "It is a symbolic link" + suffix},
      {fifo, "It is a pipe (FIFO)" + suffix},
      {directory, "It is a directory" + suffix},
      {"/dev/null", "It is a device" + suffix},
  };
  for (const auto& target : targets) {
    EXPECT_EQ(ErrorOf([&] { TLibpcapWriter writer(target.Path, 0); }),
              "Cannot create file \"" + target.Path + "\". " + target.Reason);
    EXPECT_EQ(ErrorOf([&] { TLibpcapWriter writer(target.Path, 1); }),
              "Cannot open file \"" + target.Path + "\". " + target.Reason);
  }
  EXPECT_EQ(ReadBytes(victim), (std::vector<uint8_t>{'k', 'e', 'e', 'p'}));
  EXPECT_FALSE(fs::exists(PathOf("nowhere"))) << "a dangling link creates nothing";
  EXPECT_TRUE(fs::is_fifo(fifo));
  EXPECT_TRUE(fs::is_empty(directory));

  TLibpcapWriter renamed(link, 2);
  EXPECT_EQ(renamed.FileName(), PathOf("link-0001.pcap"));
  EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(renamed.FileName())));
  EXPECT_EQ(ReadBytes(victim), (std::vector<uint8_t>{'k', 'e', 'e', 'p'}));
}

// A capture holds all of the adapter's traffic: a new file is for its owner
// alone, whatever the umask allows; an existing file keeps its mode.
TEST_F(LibpcapWriterTest, NewCaptureFilesAreReadableByTheirOwnerOnly) {
  const mode_t savedMask = umask(0);
  for (int mode = 0; mode <= 2; ++mode) {
    const std::string path = PathOf("private" + std::to_string(mode) + ".pcap");
    { TLibpcapWriter writer(path, mode); }
    EXPECT_EQ(fs::status(path).permissions(), fs::perms::owner_read | fs::perms::owner_write) << "mode " << mode;
  }
  const std::string shared = PathOf("shared.pcap");
  WriteFile(shared, {});
  fs::permissions(shared, fs::perms(0644));
  { TLibpcapWriter writer(shared, 1); }
  { TLibpcapWriter writer(shared, 0); }
  umask(savedMask);
  EXPECT_EQ(fs::status(shared).permissions(), fs::perms(0644));
}

// Run as root through sudo, the program creates files that belong to the
// user who ran it; files that existed keep their owner.
TEST_F(LibpcapWriterTest, FilesCreatedAsRootThroughSudoBelongToTheInvokingUser) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root";
  const std::string existing = PathOf("existing.pcap");
  WriteFile(existing, {});
  setenv("SUDO_UID", "4321", 1);
  setenv("SUDO_GID", "4322", 1);
  for (int mode = 0; mode <= 2; ++mode) {
    const std::string path = PathOf("sudo" + std::to_string(mode) + ".pcap");
    { TLibpcapWriter writer(path, mode); }
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, 4321u) << "mode " << mode;
    EXPECT_EQ(info.st_gid, 4322u) << "mode " << mode;
  }
  { TLibpcapWriter writer(existing, 1); }
  { TLibpcapWriter writer(existing, 0); }
  unsetenv("SUDO_UID");
  unsetenv("SUDO_GID");
  struct stat info {};
  ASSERT_EQ(stat(existing.c_str(), &info), 0);
  EXPECT_EQ(info.st_uid, 0u);
}

TEST_F(LibpcapWriterTest, ASecondWriterOnTheSameFileIsRefusedAndLeavesItIntact) {
  const std::string path = PathOf("shared.pcap");
  std::optional<TLibpcapWriter> first(std::in_place, path, 0, TLibpcapWriter::TWriteErrorHandler{}, Clock);
  WriteFrame(*first, Frame(60, 1));
  for (int mode : {0, 1})
    EXPECT_EQ(ErrorOf([&] { TLibpcapWriter second(path, mode); }).rfind("Cannot ", 0), 0u)
        << "mode " << mode;
  WriteFrame(*first, Frame(61, 2));
  // Readers may open the file while it is written.
  EXPECT_TRUE(std::ifstream(path, std::ios::binary).good());
  first.reset();
  const std::vector<TRecord> records = ParseRecords(ReadBytes(path));
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[1].Data, Frame(61, 2));
  // Once the first writer is gone the file can be written again.
  EXPECT_NO_THROW(TLibpcapWriter(path, 1));
}

// Every frame handed over before the destruction is in the file, in each
// thread's order, none torn or interleaved.
TEST_F(LibpcapWriterTest, EveryFrameQueuedBeforeDestructionFromSeveralThreadsIsInTheFile) {
  const std::string path = PathOf("busy.pcap");
  constexpr int kThreads = 4;
  constexpr int kFramesPerThread = 5000;
  {
    TLibpcapWriter writer(path, 0, {}, Clock);
    std::vector<std::jthread> threads;
    for (int t = 0; t < kThreads; ++t) {
      threads.emplace_back([&writer, t] {
        for (int i = 0; i < kFramesPerThread; ++i) {
          // Frame: thread number, then the sequence number, padded to a varying length.
          std::vector<uint8_t> frame(64 + (i % 1450), static_cast<uint8_t>(t));
          std::memcpy(frame.data() + 1, &i, sizeof i);
          WriteFrame(writer, frame);
        }
      });
    }
  }
  bool complete = false;
  const std::vector<TRecord> records = ParseRecords(ReadBytes(path), 24, &complete);
  EXPECT_TRUE(complete);
  ASSERT_EQ(records.size(), size_t{kThreads} * kFramesPerThread);
  std::vector<int> next(kThreads, 0);
  for (const TRecord& record : records) {
    const int t = record.Data[0];
    int i;
    std::memcpy(&i, record.Data.data() + 1, sizeof i);
    ASSERT_LT(t, kThreads);
    ASSERT_EQ(i, next[t]) << "thread " << t;
    ASSERT_EQ(record.Data.size(), 64u + (i % 1450));
    ASSERT_TRUE(std::all_of(record.Data.begin() + 1 + sizeof i, record.Data.end(),
                            [t](uint8_t b) { return b == t; }));
    ++next[t];
  }
}

TEST_F(LibpcapWriterTest, AFailedRecordWriteIsReportedOnceAndTheWriterGivesUp) {
  const std::string path = PathOf("full.pcap");
  std::atomic<int> reports{0};
  std::promise<std::string> reported;
  {
    TFileSizeLimit limit(10000);
    TLibpcapWriter writer(path, 0, [&](const std::string& reason) {
      if (reports.fetch_add(1) == 0) reported.set_value(reason);
    }, Clock);
    for (int i = 0; i < 20; ++i) WriteFrame(writer, Frame(1514, static_cast<uint8_t>(i)));
    std::future<std::string> reason = reported.get_future();
    ASSERT_EQ(reason.wait_for(std::chrono::seconds(60)), std::future_status::ready);
    EXPECT_EQ(reason.get(), "File too large");
    // Later frames are dropped at once and fail nothing more.
    for (int i = 0; i < 20; ++i) WriteFrame(writer, Frame(1514, static_cast<uint8_t>(i)));
  }
  EXPECT_EQ(reports.load(), 1);
  const std::vector<uint8_t> bytes = ReadBytes(path);
  EXPECT_EQ(bytes.size(), 10000u);
  // What reached the file is the start of the records, byte for byte.
  const std::vector<TRecord> records = ParseRecords(bytes);
  ASSERT_EQ(records.size(), 6u);
  for (size_t i = 0; i < records.size(); ++i) EXPECT_EQ(records[i].Data, Frame(1514, static_cast<uint8_t>(i)));
}

// A disk that takes nothing until Release: the first block waits in it.
class TStalledDisk {
 public:
  TLibpcapWriter::TBlockWriter Writer() {
    return [this](int fd, const uint8_t* data, size_t size) {
      FReleased.wait();
      return ::write(fd, data, size) == static_cast<ssize_t>(size) ? 0 : EIO;
    };
  }
  void Release() { FReleased.count_down(); }

 private:
  std::latch FReleased{1};
};

size_t HeapInUse() {
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

// With the disk stalled, the writer keeps what fits in its bound, in order,
// and counts the rest as dropped; memory stays near the bound however much
// traffic comes. Once the disk takes the bytes there is room again.
TEST_F(LibpcapWriterTest, ASlowDiskDropsAndCountsWhatDoesNotFitInTheQueue) {
  const std::string path = PathOf("slow.pcap");
  constexpr size_t kBound = size_t{1} << 20;
  constexpr uint32_t kFrameSize = 1514;
  constexpr size_t kRecordSize = 16 + kFrameSize;
  constexpr size_t kKept = kBound / kRecordSize;
  constexpr int kFrames = 100000;  // 150 MB, far beyond the bound
  TStalledDisk disk;
  {
    TLibpcapWriter writer(path, 0, {}, Clock, {kBound, disk.Writer()});
    const size_t heapBefore = HeapInUse();
    size_t heapMost = heapBefore;
    for (int i = 0; i < kFrames; ++i) {
      std::vector<uint8_t> frame(kFrameSize, static_cast<uint8_t>(i));
      std::memcpy(frame.data(), &i, sizeof i);
      WriteFrame(writer, frame);
      if (i % 1000 == 0) heapMost = std::max(heapMost, HeapInUse());
    }
    EXPECT_LT(heapMost - heapBefore, 8 * kBound) << "memory grew with the stalled disk";
    EXPECT_EQ(writer.DroppedFrames(), kFrames - kKept);

    disk.Release();
    // Once the disk took the bytes, a frame fits again.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    uint64_t dropped = writer.DroppedFrames();
    for (;;) {
      WriteFrame(writer, Frame(60, 9));
      if (writer.DroppedFrames() == dropped) break;
      dropped = writer.DroppedFrames();
      ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "the queue never had room again";
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  const std::vector<TRecord> records = ParseRecords(ReadBytes(path));
  ASSERT_EQ(records.size(), kKept + 1);
  for (size_t i = 0; i < kKept; ++i) {
    int sequence;
    std::memcpy(&sequence, records[i].Data.data(), sizeof sequence);
    ASSERT_EQ(sequence, static_cast<int>(i)) << "the first frames are kept, in order";
  }
  EXPECT_EQ(records.back().Data, Frame(60, 9));
}

}  // namespace
