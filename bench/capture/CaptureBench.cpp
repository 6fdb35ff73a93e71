// Capture writer throughput: full-size Ethernet frames (1514 bytes) handed to
// Write by one thread into a file on tmpfs, timed from the first Write to the
// end of the destructor, so the background drain is part of the figure.
// Prints "capture.fps <frames per second>" beside its baseline.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "capture/LibpcapWriter.h"

namespace {

constexpr uint32_t kFrameSize = 1514;
constexpr int kFramesPerRound = 400000;  // about 600 MB of file per round
constexpr int kRounds = 5;
constexpr double kTargetFps = 500000;

std::filesystem::path BenchDirectory() {
  const std::filesystem::path shm = "/dev/shm";
  return std::filesystem::is_directory(shm) ? shm : std::filesystem::temp_directory_path();
}

double OneRound(const std::string& path, const std::vector<uint8_t>& frame) {
  using Clock = std::chrono::steady_clock;
  Clock::time_point start;
  {
    TLibpcapWriter writer(path, static_cast<int>(TCaptureWriteMode::cmOverwrite));
    start = Clock::now();
    for (int i = 0; i < kFramesPerRound; ++i) writer.Write(frame.data(), kFrameSize);
  }
  const std::chrono::duration<double> elapsed = Clock::now() - start;
  std::filesystem::remove(path);
  return kFramesPerRound / elapsed.count();
}

}  // namespace

int main() {
  const std::string path =
      (BenchDirectory() / ("ot-bench-capture-" + std::to_string(getpid()) + ".pcap")).string();
  std::vector<uint8_t> frame(kFrameSize);
  for (uint32_t i = 0; i < kFrameSize; ++i) frame[i] = static_cast<uint8_t>(i * 7);
  std::vector<double> rates;
  for (int round = 0; round < kRounds; ++round) rates.push_back(OneRound(path, frame));
  // The median: one round disturbed by another process on the machine does
  // not move the figure.
  std::sort(rates.begin(), rates.end());
  std::printf("capture.fps %.0f\n", rates[rates.size() / 2]);
  std::printf("capture.target_fps %.0f\n", kTargetFps);
  return 0;
}
