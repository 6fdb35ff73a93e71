#pragma once
// Which rows of the connections list a new snapshot keeps, rewrites, adds
// and removes. A row stands for a connection by its protocol and both
// endpoints, so a connection that stays keeps its row (and with it its place
// and selection); new connections are added at the end.
#include <string>
#include <vector>

#include "platform/linux/NetStat.h"

// The texts of the first three columns: protocol, local and remote endpoint.
struct TConnectionKey {
  std::string Protocol;
  std::string Local;
  std::string Remote;

  friend bool operator==(const TConnectionKey&, const TConnectionKey&) = default;
};

TConnectionKey KeyOf(const TNetStatEntry& entry);

struct TRowUpdate {
  int Row = 0;          // the row that shows the entry
  bool Append = false;  // true: the row is new, added at the end (Row is its index then)
};

struct TRefreshPlan {
  std::vector<TRowUpdate> Updates;  // one per entry, in the entries' order
  std::vector<int> StaleRows;       // rows of the old list no entry matched, last row first
};

// rows: the keys of the list's rows, top to bottom; entries: the keys of the
// new snapshot in its order. Each entry goes to the first row with its key,
// counting rows appended for earlier entries; an entry without one appends a
// row. Applying Updates in order, then deleting StaleRows in order, leaves
// the list showing the snapshot.
TRefreshPlan PlanRefresh(const std::vector<TConnectionKey>& rows, const std::vector<TConnectionKey>& entries);

// The rows a terminate command visits, last row first: every row, or only the
// selected ones.
std::vector<int> RowsToTerminate(const std::vector<bool>& selected, bool selectedOnly);
