#pragma once
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "capture/CaptureClock.h"
#include "capture/CaptureFileOpen.h"
#include "capture/ChunkQueue.h"
#include "common/FileDescriptor.h"

// Writes one block to a capture file whole; returns 0 or the errno.
using TCaptureBlockWriter = std::function<int(int fd, const uint8_t* data, size_t size)>;

struct TCaptureQueueOptions {
  // About half a second of a gigabit link: room for the disk to catch up
  // after a short stall, small beside the memory of any machine it runs on.
  static constexpr size_t kDefaultMaxQueuedBytes = size_t{64} << 20;

  // The bytes queued or being written at most.
  size_t MaxQueuedBytes = kDefaultMaxQueuedBytes;
  // Empty for the plain write(2) loop; another one stands in for a slow or
  // stalled disk.
  TCaptureBlockWriter WriteBlock;
};

// A libpcap capture file (Ethernet, millisecond timestamps) written by a
// background thread of its own, so that the threads handing frames over never
// wait for the disk: Write only appends the record to an in-memory queue,
// which the background thread takes whole and writes in large blocks.
//
// Records reach the file in the order Write queued them, byte for byte as if
// each header and frame were written one after the other. The file is locked
// against a second writer (another TLibpcapWriter on the same name) while
// readers may open it at any time.
//
// The queue is bounded: a record that would take the bytes queued or being
// written past the bound is dropped and counted, so memory never grows with
// a disk slower than the traffic.
class TLibpcapWriter {
 public:
  // Told the system's reason ("No space left on device") when a record
  // cannot be written.
  using TWriteErrorHandler = std::function<void(const std::string&)>;
  using TBlockWriter = TCaptureBlockWriter;
  using TQueueOptions = TCaptureQueueOptions;

  // mode is a TCaptureWriteMode value; it is an int because a profile may
  // carry one outside the list, which raises ECaptureFileError before any file
  // is opened. Opening failures raise ECaptureFileError with the file name and
  // the system's reason.
  //
  // onWriteError is called once, from the background thread (or, for records
  // queued after it ended, from the destroying thread), when a record write
  // fails; it must not throw. The writer then discards what is queued, closes
  // the file and ignores further Writes, so memory never grows once nothing
  // can be written.
  TLibpcapWriter(const std::string& fileName, int mode, TWriteErrorHandler onWriteError = {});
  // The same with the clocks the timestamps are read from, and the queue's
  // bound; clock must outlive the writer.
  TLibpcapWriter(const std::string& fileName, int mode, TWriteErrorHandler onWriteError,
                 const TCaptureClock& clock, TQueueOptions queue = {});
  // Stops the background thread, writes everything queued before, closes the file.
  ~TLibpcapWriter();

  TLibpcapWriter(const TLibpcapWriter&) = delete;
  TLibpcapWriter& operator=(const TLibpcapWriter&) = delete;

  // Queues one frame with the current time; never touches the file. Safe to
  // call from several threads at once; takes only the writer's own lock, which
  // is the innermost of all. A frame the bounded queue has no room for is
  // dropped and counted.
  void Write(const uint8_t* data, uint32_t size);

  // Frames dropped because the queue was full (not those ignored after a
  // failed write, which is reported instead).
  uint64_t DroppedFrames() const;

  // The file actually written: the given name, or the renamed one.
  const std::string& FileName() const { return FFileName; }

 private:
  void RunBufferWriter();
  // Writes drained chunks in order; on failure gives the file up and reports once.
  void WriteChunks(const TChunkQueue::TChunks& chunks);
  void FailWriting(int error);
  int64_t RecordTimeMs() const;

  std::string FFileName;
  TFileDescriptor FFile;
  TWriteErrorHandler FOnWriteError;
  const TCaptureClock& FClock;
  const size_t FMaxQueuedBytes;
  const TBlockWriter FWriteBlock;
  int64_t FStartTimeMs;
  int64_t FStopwatchOriginNs;

  // FLock guards everything below it up to FThread.
  mutable std::mutex FLock;
  std::condition_variable FDataReady;  // signalled when FQueue stops being empty or on termination
  TChunkQueue FQueue;                  // queued records, already in file layout
  size_t FUnwrittenBytes = 0;          // queued, or taken by the thread and not yet written
  uint64_t FDropped = 0;
  bool FTerminated = false;
  bool FFailed = false;

  // TLibpcapWriter.TBufferWriter: started last, joined first.
  std::jthread FThread;
};
