#include "settings/LinkTraceFile.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>
#include <optional>
#include <string_view>
#include <vector>

#include "common/Trim.h"

namespace {

[[noreturn]] void RefuseLine(const std::string& fileName, uint64_t line, const std::string& what) {
  throw ELinkTraceFile("The trace file \"" + fileName + "\" has a bad entry on line " + std::to_string(line) +
                       ": " + what);
}

[[noreturn]] void RefuseEntry(const std::string& fileName, uint64_t line, std::string_view text,
                              const char* reason) {
  // A binary file's "line" can be long; the start of it says enough.
  constexpr size_t kShownCharacters = 40;
  const std::string shown = text.size() > kShownCharacters ? std::string(text.substr(0, kShownCharacters)) + "..."
                                                           : std::string(text);
  RefuseLine(fileName, line, "\"" + shown + "\" " + reason);
}

// The timestamp of one line, or nothing with the reason it is not one.
std::optional<uint32_t> ParseTimestamp(std::string_view text, const char*& reason) {
  uint32_t value = 0;
  const char* first = text.data();
  const char* last = first + text.size();
  const auto [end, error] = std::from_chars(first, last, value);
  if (error == std::errc() && end == last) return value;
  if (error == std::errc::result_out_of_range && end == last) {
    reason = "is too large";
  } else if (text.size() > 1 && text.front() == '-' &&
             std::from_chars(first + 1, last, value).ptr == last) {
    reason = "is negative";
  } else {
    reason = "is not a whole number of milliseconds";
  }
  return std::nullopt;
}

}  // namespace

TLinkTrace ParseLinkTrace(std::istream& in, const std::string& fileName) {
  std::vector<uint32_t> timestamps;
  // A blank line is an error only when an entry follows it, so the first
  // one is remembered until then.
  uint64_t firstBlankLine = 0;
  std::string raw;
  for (uint64_t line = 1; std::getline(in, raw); ++line) {
    const std::string_view text = Trim(raw);
    if (text.empty()) {
      if (firstBlankLine == 0) firstBlankLine = line;
      continue;
    }
    if (firstBlankLine != 0) RefuseLine(fileName, firstBlankLine, "the line is blank");
    const char* reason = nullptr;
    const std::optional<uint32_t> timestamp = ParseTimestamp(text, reason);
    if (!timestamp) RefuseEntry(fileName, line, text, reason);
    if (!timestamps.empty() && *timestamp < timestamps.back())
      RefuseEntry(fileName, line, text, "is earlier than the line before");
    timestamps.push_back(*timestamp);
  }
  if (in.bad()) throw ELinkTraceFile("Unable to read the trace file \"" + fileName + "\"");
  if (timestamps.empty()) throw ELinkTraceFile("The trace file \"" + fileName + "\" holds no delivery opportunities");
  return TLinkTrace(std::move(timestamps));
}

TLinkTrace ReadLinkTraceFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw ELinkTraceFile("Unable to open the trace file \"" + path + "\": " + std::strerror(errno));
  return ParseLinkTrace(in, path);
}
