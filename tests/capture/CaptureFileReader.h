#pragma once
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// Reads capture files back for the writer tests, independently of the
// writer's own encoding code.
namespace capture_reader {

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline uint32_t LittleEndian32(const std::vector<uint8_t>& bytes, size_t at) {
  return static_cast<uint32_t>(bytes[at]) | static_cast<uint32_t>(bytes[at + 1]) << 8 |
         static_cast<uint32_t>(bytes[at + 2]) << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}

struct TRecord {
  uint32_t Seconds;
  uint32_t Microseconds;
  uint32_t CapturedLength;
  uint32_t WireLength;
  std::vector<uint8_t> Data;
};

// The records after `offset`; stops at the first record cut short, and says
// so in `complete`.
inline std::vector<TRecord> ParseRecords(const std::vector<uint8_t>& bytes, size_t offset = 24,
                                         bool* complete = nullptr) {
  std::vector<TRecord> records;
  while (offset + 16 <= bytes.size()) {
    TRecord record{LittleEndian32(bytes, offset), LittleEndian32(bytes, offset + 4),
                   LittleEndian32(bytes, offset + 8), LittleEndian32(bytes, offset + 12), {}};
    offset += 16;
    if (offset + record.CapturedLength > bytes.size()) break;
    record.Data.assign(bytes.begin() + offset, bytes.begin() + offset + record.CapturedLength);
    offset += record.CapturedLength;
    records.push_back(std::move(record));
  }
  if (complete) *complete = offset == bytes.size();
  return records;
}

}  // namespace capture_reader
