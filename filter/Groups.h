#pragma once
// Groups: named lists of single IPv4 and IPv6
// addresses. The filter rule refers to a group by its position in the list.
// Entries keep the order in which they were added; names need not be unique and
// a group may hold the same address twice. The list owns the address lists
// (values), so copying a TGroupList is a deep copy.
#include <cstdint>
#include <string>
#include <vector>

#include "filter/IPUtil.h"

class TGroupList {
 public:
  // Empties this list, then appends a copy of every group of source, in order.
  // The two lists share nothing afterwards.
  void Assign(const TGroupList& source);

  int Count() const { return static_cast<int>(FGroups.size()); }
  const std::string& Name(int index) const;
  void SetName(int index, const std::string& name);
  // The address list attached to the group at index.
  const TIPAddrList& GroupAddresses(int index) const;
  TIPAddrList& GroupAddresses(int index);
  // Appends a group; returns its position.
  int Add(const std::string& name, const TIPAddrList& addresses = TIPAddrList());
  // Deletes the group and its addresses; later groups move one position up.
  void Delete(int index);
  void Clear() { FGroups.clear(); }

  friend bool operator==(const TGroupList& a, const TGroupList& b);

 private:
  struct TGroup {
    std::string Name;
    TIPAddrList Addresses;
  };
  std::vector<TGroup> FGroups;
};

// The rule's GroupId after the group at deletedIndex has been deleted, so that
// it keeps naming the same group: a later group moves up by one, the deleted group itself
// becomes -1 (none), an earlier one and -1 keep their value.
int32_t GroupIdAfterDeletion(int32_t groupId, int deletedIndex);
