#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// A first-in first-out byte queue made of fixed-size chunks. Appending never
// moves bytes already queued (no reallocation as a growing array would do),
// and drained chunks are kept for reuse, so a steady stream of appends
// allocates nothing. Not thread-safe: its owner guards it.
class TChunkQueue {
 public:
  static constexpr size_t kChunkSize = size_t{1} << 20;
  // Drained chunks kept for reuse; more are freed, so a burst that outran the
  // reader does not pin its memory afterwards.
  static constexpr size_t kMaxSpareChunks = 16;

  struct TChunk {
    std::unique_ptr<uint8_t[]> Bytes;
    size_t Used = 0;
  };
  using TChunks = std::vector<TChunk>;

  bool Empty() const { return FQueued.empty(); }
  // Copies the bytes to the end of the queue, spilling into further chunks.
  void Append(const uint8_t* data, size_t size);
  // Moves every queued chunk, in order, into `out` (which must be empty).
  void TakeAll(TChunks& out);
  // Takes drained chunks back for reuse, up to kMaxSpareChunks; those left
  // in `chunks` are for the caller to free, outside its lock.
  void Recycle(TChunks& chunks);
  // Drops everything, queued and spare.
  void Discard();

 private:
  TChunk NewChunk();

  TChunks FQueued;  // the last one is being filled
  TChunks FSpare;
};
