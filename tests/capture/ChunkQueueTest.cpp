#include "capture/ChunkQueue.h"

#include <gtest/gtest.h>

#include <set>

namespace {

std::vector<uint8_t> Concatenated(const TChunkQueue::TChunks& chunks) {
  std::vector<uint8_t> bytes;
  for (const auto& chunk : chunks) bytes.insert(bytes.end(), chunk.Bytes.get(), chunk.Bytes.get() + chunk.Used);
  return bytes;
}

// Appends of every size, including ones that straddle a chunk's end and ones
// larger than a chunk, come out as one unbroken byte stream.
TEST(ChunkQueue, KeepsTheByteStreamAcrossChunks) {
  TChunkQueue queue;
  std::vector<uint8_t> expected;
  const size_t sizes[] = {16, 1514, TChunkQueue::kChunkSize - 1530, 16, 3 * TChunkQueue::kChunkSize + 5, 0, 60};
  uint8_t next = 0;
  for (size_t size : sizes) {
    std::vector<uint8_t> piece(size);
    for (auto& b : piece) b = next++;
    queue.Append(piece.data(), piece.size());
    expected.insert(expected.end(), piece.begin(), piece.end());
  }
  TChunkQueue::TChunks taken;
  queue.TakeAll(taken);
  EXPECT_TRUE(queue.Empty());
  EXPECT_EQ(Concatenated(taken), expected);
  for (size_t i = 0; i + 1 < taken.size(); ++i) EXPECT_EQ(taken[i].Used, TChunkQueue::kChunkSize);
}

TEST(ChunkQueue, RecyclesOnlyUpToTheSpareLimitAndReusesThem) {
  TChunkQueue queue;
  std::vector<uint8_t> big((TChunkQueue::kMaxSpareChunks + 4) * TChunkQueue::kChunkSize, 1);
  queue.Append(big.data(), big.size());
  TChunkQueue::TChunks taken;
  queue.TakeAll(taken);
  ASSERT_EQ(taken.size(), TChunkQueue::kMaxSpareChunks + 4);
  std::set<const uint8_t*> recycled;
  for (const auto& chunk : taken) recycled.insert(chunk.Bytes.get());
  queue.Recycle(taken);
  EXPECT_EQ(taken.size(), 4u);  // left for the caller to free
  for (const auto& chunk : taken) recycled.erase(chunk.Bytes.get());
  // A recycled chunk starts empty.
  const uint8_t byte = 7;
  queue.Append(&byte, 1);
  TChunkQueue::TChunks again;
  queue.TakeAll(again);
  ASSERT_EQ(again.size(), 1u);
  EXPECT_EQ(again[0].Used, 1u);
  EXPECT_EQ(again[0].Bytes[0], 7);
  EXPECT_EQ(recycled.count(again[0].Bytes.get()), 1u) << "a new chunk was allocated instead";
}

}  // namespace
