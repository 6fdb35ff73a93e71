#include "capture/LibpcapWriter.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>

#include "capture/CaptureFileOpen.h"
#include "capture/LibpcapFormat.h"

namespace {

std::string SystemReason(int error) { return std::generic_category().message(error); }

// Writes all bytes, going on after partial writes; returns 0 or the errno.
int WriteAll(int fd, const uint8_t* data, size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(fd, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (written == 0) return EIO;
    data += written;
    size -= static_cast<size_t>(written);
  }
  return 0;
}

size_t BytesOf(const TChunkQueue::TChunks& chunks) {
  size_t bytes = 0;
  for (const TChunkQueue::TChunk& chunk : chunks) bytes += chunk.Used;
  return bytes;
}

TCaptureWriteMode CheckedWriteMode(int mode) {
  if (mode < static_cast<int>(TCaptureWriteMode::cmOverwrite) ||
      mode > static_cast<int>(TCaptureWriteMode::cmAutoRename))
    throw ECaptureFileError("Invalid session write mode: " + std::to_string(mode));
  return static_cast<TCaptureWriteMode>(mode);
}

// Writes the global header into a file that is empty, then moves to its end,
// so appending to a non-empty file adds records only.
void PrepareForRecords(const TFileDescriptor& file) {
  struct stat info {};
  if (::fstat(file.Get(), &info) != 0) throw ECaptureFileError(SystemReason(errno));
  if (info.st_size == 0) {
    const TLibpcapGlobalHeader header = LibpcapGlobalHeader();
    if (const int error = WriteAll(file.Get(), header.data(), header.size()))
      throw ECaptureFileError(SystemReason(error));
  }
  if (::lseek(file.Get(), 0, SEEK_END) < 0 && errno != ESPIPE)
    throw ECaptureFileError(SystemReason(errno));
}

}  // namespace

TLibpcapWriter::TLibpcapWriter(const std::string& fileName, int mode, TWriteErrorHandler onWriteError)
    : TLibpcapWriter(fileName, mode, std::move(onWriteError), TCaptureClock::System()) {}

TLibpcapWriter::TLibpcapWriter(const std::string& fileName, int mode, TWriteErrorHandler onWriteError,
                               const TCaptureClock& clock, TQueueOptions queue)
    : FOnWriteError(std::move(onWriteError)),
      FClock(clock),
      FMaxQueuedBytes(queue.MaxQueuedBytes),
      FWriteBlock(queue.WriteBlock ? std::move(queue.WriteBlock) : TBlockWriter(WriteAll)) {
  TOpenedCaptureFile opened = OpenCaptureFile(fileName, CheckedWriteMode(mode));
  FFile = std::move(opened.File);
  FFileName = std::move(opened.FileName);
  PrepareForRecords(FFile);
  FStartTimeMs = FClock.WallClockMs();
  FStopwatchOriginNs = FClock.MonotonicNs();
  FThread = std::jthread([this] { RunBufferWriter(); });
}

TLibpcapWriter::~TLibpcapWriter() {
  {
    std::lock_guard lock(FLock);
    FTerminated = true;
  }
  FDataReady.notify_one();
  FThread.join();
  // The thread drains the queue before it ends; what a caller queued after
  // that is written here, on the destroying thread, still in queue order.
  if (!FFailed && !FQueue.Empty()) {
    TChunkQueue::TChunks rest;
    FQueue.TakeAll(rest);
    WriteChunks(rest);
  }
}

int64_t TLibpcapWriter::RecordTimeMs() const {
  const int64_t elapsedMs = (FClock.MonotonicNs() - FStopwatchOriginNs) / 1000000;
  return FStartTimeMs + elapsedMs;
}

void TLibpcapWriter::Write(const uint8_t* data, uint32_t size) {
  // The time is taken before the lock: with several callers a record may
  // carry a time a little earlier than the one queued before it.
  const TLibpcapRecordHeader header = LibpcapRecordHeader(RecordTimeMs(), size);
  const size_t recordBytes = header.size() + size;
  bool wasEmpty;
  {
    std::lock_guard lock(FLock);
    if (FFailed) return;
    if (recordBytes > FMaxQueuedBytes - std::min(FUnwrittenBytes, FMaxQueuedBytes)) {
      ++FDropped;
      return;
    }
    FUnwrittenBytes += recordBytes;
    wasEmpty = FQueue.Empty();
    FQueue.Append(header.data(), header.size());
    FQueue.Append(data, size);
  }
  // The background thread only sleeps on an empty queue, so only the record
  // that ends the emptiness needs to wake it.
  if (wasEmpty) FDataReady.notify_one();
}

void TLibpcapWriter::RunBufferWriter() {
  TChunkQueue::TChunks chunks;
  std::unique_lock lock(FLock);
  while (true) {
    FDataReady.wait(lock, [this] { return !FQueue.Empty() || FTerminated; });
    if (FQueue.Empty()) return;  // terminated, and everything queued is written
    // Take the whole queue at once, so callers wait for one swap, not the disk.
    FQueue.TakeAll(chunks);
    lock.unlock();
    WriteChunks(chunks);
    lock.lock();
    // Only now is the room free again: bytes on their way to a stalled disk
    // count against the bound as much as queued ones.
    FUnwrittenBytes -= std::min(FUnwrittenBytes, BytesOf(chunks));
    if (!FFailed) FQueue.Recycle(chunks);
    if (!chunks.empty()) {
      // Surplus chunks are freed outside the lock.
      lock.unlock();
      chunks.clear();
      lock.lock();
    }
  }
}

uint64_t TLibpcapWriter::DroppedFrames() const {
  std::lock_guard lock(FLock);
  return FDropped;
}

void TLibpcapWriter::WriteChunks(const TChunkQueue::TChunks& chunks) {
  for (const TChunkQueue::TChunk& chunk : chunks) {
    if (!FFile.Valid()) return;
    if (const int error = FWriteBlock(FFile.Get(), chunk.Bytes.get(), chunk.Used)) FailWriting(error);
  }
}

void TLibpcapWriter::FailWriting(int error) {
  {
    std::lock_guard lock(FLock);
    FFailed = true;
    FQueue.Discard();
    FUnwrittenBytes = 0;
  }
  FFile.Reset();
  if (FOnWriteError) FOnWriteError(SystemReason(error));
}
