#include "settings/ShapingRate.h"

#include <algorithm>

#include "common/Trim.h"
#include "settings/FormatBitRate.h"
#include "settings/LinkTraceFile.h"

namespace {

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

[[noreturn]] void FailFormat(std::string_view text) {
  throw EShapingRateFormat("Invalid rate format: " + std::string(text));
}

[[noreturn]] void FailRange(std::string_view text) {
  throw EShapingRateFormat("Invalid rate value: " + std::string(text) + ". Must be between " +
                           std::to_string(kMinShapingRate) + " and " + std::to_string(kMaxShapingRate) + ".");
}

// A whole decimal number with an optional sign. Any number of digits is a
// number; one too large for the limits only needs to stay too large.
long long ParseWholeNumber(std::string_view text) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  if (i == text.size()) FailFormat(text);
  constexpr long long kSaturated = 10LL * kMaxShapingRate;
  long long value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') FailFormat(text);
    value = std::min(value * 10 + (text[i] - '0'), kSaturated);
  }
  return negative ? -value : value;
}

std::string StorageValue(int32_t rate) {
  return rate == 0 ? std::string(kUnlimitedRateName) : std::to_string(rate);
}

std::string DisplayValue(int32_t rate) {
  return rate == 0 ? std::string(kUnlimitedRateName) : FormatBitRate(static_cast<uint32_t>(rate));
}

}  // namespace

TShapingRate::TShapingRate(std::string name, const std::string& text) : Name(std::move(name)) {
  ParseText(text);
}

int32_t TShapingRate::ParseRateValue(std::string_view text) {
  if (EqualsIgnoringCase(text, kUnlimitedRateName)) return 0;
  const long long value = ParseWholeNumber(text);
  // 0 is out of range too: no limit is only ever written as "Unlimited".
  if (value < kMinShapingRate || value > kMaxShapingRate) FailRange(text);
  return static_cast<int32_t>(value);
}

void TShapingRate::ParseText(std::string_view text) {
  const size_t colon = text.find(':');
  if (colon == std::string_view::npos) {
    const int32_t rate = ParseRateValue(Trim(text));
    InRate = OutRate = rate;
    return;
  }
  // Only the first colon splits; any further one fails the outgoing part.
  const int32_t in = ParseRateValue(Trim(text.substr(0, colon)));
  const int32_t out = ParseRateValue(Trim(text.substr(colon + 1)));
  InRate = in;
  OutRate = out;
}

std::string TShapingRate::StorageText() const {
  if (InRate == OutRate) return StorageValue(InRate);
  return StorageValue(InRate) + ":" + StorageValue(OutRate);
}

std::string TShapingRate::DisplayText() const {
  const std::string prefix = HasTraces() ? "Trace, average " : "";
  if (InRate == OutRate) return prefix + DisplayValue(InRate);
  return prefix + DisplayValue(InRate) + " : " + DisplayValue(OutRate);
}

namespace {

// A trace's average as a limit the rate texts can hold.
int32_t LimitOf(const TLinkTrace& trace) {
  return static_cast<int32_t>(
      std::clamp(trace.AverageBitRate(), double{kMinShapingRate}, double{kMaxShapingRate}));
}

}  // namespace

void TShapingRate::LoadTraces(const std::string& inPath, const std::string& outPath) {
  auto in = std::make_shared<const TLinkTrace>(ReadLinkTraceFile(inPath));
  auto out = std::make_shared<const TLinkTrace>(ReadLinkTraceFile(outPath));
  InRate = LimitOf(*in);
  OutRate = LimitOf(*out);
  InTrace = std::move(in);
  OutTrace = std::move(out);
  InTracePath = inPath;
  OutTracePath = outPath;
}
