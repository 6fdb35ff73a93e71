#include "filter/Groups.h"

#include "common/Assertion.h"

namespace {
constexpr const char* kUnit = "Groups";
}

void TGroupList::Assign(const TGroupList& source) {
  if (this == &source) return;
  FGroups = source.FGroups;
}

const std::string& TGroupList::Name(int index) const {
  OT_ASSERT(index >= 0 && index < Count(), kUnit, "list index out of bounds");
  return FGroups[static_cast<size_t>(index)].Name;
}

void TGroupList::SetName(int index, const std::string& name) {
  OT_ASSERT(index >= 0 && index < Count(), kUnit, "list index out of bounds");
  FGroups[static_cast<size_t>(index)].Name = name;
}

const TIPAddrList& TGroupList::GroupAddresses(int index) const {
  OT_ASSERT(index >= 0 && index < Count(), kUnit, "list index out of bounds");
  return FGroups[static_cast<size_t>(index)].Addresses;
}

TIPAddrList& TGroupList::GroupAddresses(int index) {
  OT_ASSERT(index >= 0 && index < Count(), kUnit, "list index out of bounds");
  return FGroups[static_cast<size_t>(index)].Addresses;
}

int TGroupList::Add(const std::string& name, const TIPAddrList& addresses) {
  FGroups.push_back(TGroup{name, addresses});
  return Count() - 1;
}

void TGroupList::Delete(int index) {
  OT_ASSERT(index >= 0 && index < Count(), kUnit, "list index out of bounds");
  FGroups.erase(FGroups.begin() + index);
}

bool operator==(const TGroupList& a, const TGroupList& b) {
  if (a.Count() != b.Count()) return false;
  for (int i = 0; i < a.Count(); ++i)
    if (a.Name(i) != b.Name(i) || !(a.GroupAddresses(i) == b.GroupAddresses(i))) return false;
  return true;
}

int32_t GroupIdAfterDeletion(int32_t groupId, int deletedIndex) {
  if (groupId == deletedIndex) return -1;
  if (groupId > deletedIndex) return groupId - 1;
  return groupId;
}
