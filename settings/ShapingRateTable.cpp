#include "settings/ShapingRateTable.h"

#include <algorithm>

#include "common/Assertion.h"

namespace {

struct TBuiltInRate {
  const char* Name;
  const char* Text;
};

constexpr TBuiltInRate kBuiltInRates[] = {
    {"14.4 Kbps (modem)", "14400"},
    {"33.6 Kbps (modem)", "33600"},
    {"48.0 Kbps (modem)", "48000"},
    {"56.0 Kbps (modem)", "56000"},
    {"64 Kbps (single channel ISDN)", "64000"},
    {"128 Kbps (dual channel ISDN)", "128000"},
    {"256 Kbps (DSL, Frame Relay)", "256000"},
    {"384 Kbps (DSL)", "384000"},
    {"768 Kbps (DSL)", "768000"},
    {"1.5 Mbps (T1, DSL, Cable modem)", "1500000"},
    {"2 Mbps (DSL, cable modem)", "2000000"},
    {"10 Mbps (DSL, cable modem, LAN)", "10000000"},
    {"Unlimited", "Unlimited"},
};

int64_t SumOf(const TShapingRate& rate) { return int64_t{rate.InRate} + rate.OutRate; }

}  // namespace

int64_t TShapingRateTable::Compare(const TShapingRate& a, const TShapingRate& b) {
  return SumOf(a) - SumOf(b);
}

void TShapingRateTable::Replace(size_t index, const TShapingRate& rate) {
  OT_ASSERT(index < FItems.size(), "CustRates", "rate index out of range");
  FItems[index] = rate;
}

void TShapingRateTable::Delete(size_t index) {
  OT_ASSERT(index < FItems.size(), "CustRates", "rate index out of range");
  FItems.erase(FItems.begin() + static_cast<std::ptrdiff_t>(index));
}

const TShapingRate& TShapingRateTable::operator[](size_t index) const {
  OT_ASSERT(index < FItems.size(), "CustRates", "rate index out of range");
  return FItems[index];
}

void TShapingRateTable::Sort() {
  // Stable, and the unlimited entry ahead of the others that also sum to 0:
  // a table that was sorted, saved without its unlimited entry and read back
  // with it added at the end comes out in the same order, so a position
  // saved with it names the same entry.
  std::stable_sort(FItems.begin(), FItems.end(), [](const TShapingRate& a, const TShapingRate& b) {
    const int64_t order = Compare(a, b);
    return order < 0 || (order == 0 && a.IsUnlimited() && !b.IsUnlimited());
  });
}

int TShapingRateTable::IndexOfName(const std::string& name) const {
  for (size_t i = 0; i < FItems.size(); ++i)
    if (FItems[i].Name == name) return static_cast<int>(i);
  return -1;
}

void TShapingRateTable::LoadBuiltInRates() {
  FItems.clear();
  for (const TBuiltInRate& rate : kBuiltInRates) FItems.emplace_back(rate.Name, rate.Text);
}
