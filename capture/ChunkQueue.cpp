#include "capture/ChunkQueue.h"

#include <algorithm>
#include <cstring>

TChunkQueue::TChunk TChunkQueue::NewChunk() {
  if (!FSpare.empty()) {
    TChunk chunk = std::move(FSpare.back());
    FSpare.pop_back();
    chunk.Used = 0;
    return chunk;
  }
  // Left uninitialised: every byte is written before it is read.
  return TChunk{std::unique_ptr<uint8_t[]>(new uint8_t[kChunkSize]), 0};
}

void TChunkQueue::Append(const uint8_t* data, size_t size) {
  while (size > 0) {
    if (FQueued.empty() || FQueued.back().Used == kChunkSize) FQueued.push_back(NewChunk());
    TChunk& chunk = FQueued.back();
    const size_t part = std::min(size, kChunkSize - chunk.Used);
    std::memcpy(chunk.Bytes.get() + chunk.Used, data, part);
    chunk.Used += part;
    data += part;
    size -= part;
  }
}

void TChunkQueue::TakeAll(TChunks& out) {
  out.swap(FQueued);
}

void TChunkQueue::Recycle(TChunks& chunks) {
  while (!chunks.empty() && FSpare.size() < kMaxSpareChunks) {
    FSpare.push_back(std::move(chunks.back()));
    chunks.pop_back();
  }
}

void TChunkQueue::Discard() {
  TChunks().swap(FQueued);
  TChunks().swap(FSpare);
}
