#pragma once
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include "settings/LinkTrace.h"

// A rate text that cannot be read; the message is for the user.
class EShapingRateFormat : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

constexpr int32_t kMinShapingRate = 1200;        // bit/s
constexpr int32_t kMaxShapingRate = 1000000000;  // bit/s
inline constexpr std::string_view kUnlimitedRateName = "Unlimited";

// "Unlimited" names the table's own entry without a limit. A user's entry
// of that name would count as that entry and be left out of profiles, which
// shifts the saved position of the chosen rate, so the rate editor and the
// profile reader refuse it.
inline bool IsReservedRateName(std::string_view name) { return name == kUnlimitedRateName; }

// A named transfer rate: a limit per direction in bits per second, where 0
// means no limit. Every limit is 0 or lies in kMinShapingRate..kMaxShapingRate
// when it was set by the parser.
struct TShapingRate {
  std::string Name;
  int32_t InRate = 0;
  int32_t OutRate = 0;
  // A recorded link replayed instead of the fixed limit of that direction,
  // with its file's path as the user wrote it. The direction's limit is then
  // the trace's average: that orders the table, and a profile keeps it as
  // the entry's rate.
  std::shared_ptr<const TLinkTrace> InTrace, OutTrace;
  std::string InTracePath, OutTracePath;

  TShapingRate() = default;
  // Limits as they are, unchecked, for a rate that no parser wrote.
  TShapingRate(std::string name, int32_t inRate, int32_t outRate)
      : Name(std::move(name)), InRate(inRate), OutRate(outRate) {}
  // The name, and the rates of a rate text; throws EShapingRateFormat.
  TShapingRate(std::string name, const std::string& text);

  // Reads "64000" (both ways) or "30000:60000" (incoming first); either side
  // may be "Unlimited". Throws EShapingRateFormat on the first bad value and
  // then leaves both rates as they were.
  void ParseText(std::string_view text);
  // One trimmed value: "Unlimited" in any letter case gives 0, otherwise a
  // whole decimal number within the limits.
  static int32_t ParseRateValue(std::string_view text);

  // Reads both trace files and takes their averages as the limits; throws
  // ELinkTraceFile (settings/LinkTraceFile.h), naming the file and line of
  // the first bad entry, and then changes nothing.
  void LoadTraces(const std::string& inPath, const std::string& outPath);
  bool HasTraces() const { return InTrace != nullptr || OutTrace != nullptr; }

  // The entry that stands for no limit, told by its name alone.
  bool IsUnlimited() const { return Name == kUnlimitedRateName; }
  // "64000", "30000:60000", "Unlimited:64000": what profiles store; parses back.
  std::string StorageText() const;
  // "1.50 Mbit/s", "Unlimited : 64.0 kbit/s": what the lists show; a trace
  // entry shows "Trace, average 1.50 Mbit/s".
  std::string DisplayText() const;
};
