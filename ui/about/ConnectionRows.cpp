#include "ui/about/ConnectionRows.h"

#include <algorithm>
#include <functional>
#include <unordered_map>

namespace {

struct TKeyHash {
  size_t operator()(const TConnectionKey& key) const {
    const std::hash<std::string> hash;
    size_t value = hash(key.Protocol);
    value = value * 31 + hash(key.Local);
    return value * 31 + hash(key.Remote);
  }
};

}  // namespace

TConnectionKey KeyOf(const TNetStatEntry& entry) {
  return {entry.ProtocolText(), entry.LocalText(), entry.RemoteText()};
}

TRefreshPlan PlanRefresh(const std::vector<TConnectionKey>& rows, const std::vector<TConnectionKey>& entries) {
  // The first row of every key; emplace keeps an earlier row of the same key.
  std::unordered_map<TConnectionKey, int, TKeyHash> firstRow;
  for (int row = 0; row < static_cast<int>(rows.size()); ++row) firstRow.emplace(rows[row], row);

  TRefreshPlan plan;
  std::vector<bool> matched(rows.size(), false);
  int rowCount = static_cast<int>(rows.size());
  for (const TConnectionKey& entry : entries) {
    auto found = firstRow.find(entry);
    if (found == firstRow.end()) {
      firstRow.emplace(entry, rowCount);
      plan.Updates.push_back({rowCount++, true});
      continue;
    }
    plan.Updates.push_back({found->second, false});
    if (found->second < static_cast<int>(rows.size())) matched[found->second] = true;
  }
  for (int row = static_cast<int>(rows.size()) - 1; row >= 0; --row)
    if (!matched[row]) plan.StaleRows.push_back(row);
  return plan;
}

std::vector<int> RowsToTerminate(const std::vector<bool>& selected, bool selectedOnly) {
  std::vector<int> rows;
  for (int row = static_cast<int>(selected.size()) - 1; row >= 0; --row)
    if (!selectedOnly || selected[row]) rows.push_back(row);
  return rows;
}
