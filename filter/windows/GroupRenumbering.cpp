#include "filter/windows/GroupRenumbering.h"

#include "filter/Groups.h"

int32_t TGroupRenumbering::Renumbered(int32_t groupId) const {
  for (int position : FDeletions) {
    if (groupId < 0) break;
    groupId = GroupIdAfterDeletion(groupId, position);
  }
  return groupId;
}
