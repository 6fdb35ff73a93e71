#pragma once
// The rule refers to a group by its position, so deleting a group moves every
// later group's number. TGroupRenumbering remembers the deletions made in the
// groups window and turns a position of the list as it was into the position
// of the same group now (or -1 when that group itself was deleted).
#include <cstdint>
#include <vector>

class TGroupRenumbering {
 public:
  // The group at this position of the current list has been deleted.
  void Deleted(int position) { FDeletions.push_back(position); }
  // The position now of the group that was at groupId before the first
  // deletion. -1 stays -1, and a number that named no group names none now.
  int32_t Renumbered(int32_t groupId) const;
  // Makes the current list the one that positions refer to.
  void Reset() { FDeletions.clear(); }

 private:
  std::vector<int> FDeletions;
};
