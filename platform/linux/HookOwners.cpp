#include "platform/linux/HookOwners.h"

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <string>

#include "platform/linux/LinkTable.h"
#include "platform/linux/TcAttachment.h"

namespace {

constexpr TTcAttachPoint kPoints[] = {TTcAttachPoint::Ingress, TTcAttachPoint::Egress};

const TInterceptionTag* Claimant(const std::vector<TInterceptionTag>& tags, uint32_t programId) {
  for (const TInterceptionTag& tag : tags)
    if (tag.Claims(programId)) return &tag;
  return nullptr;
}

std::optional<TInterceptionTag> FindOther(const std::vector<TInterceptionTag>& tags, uint32_t adapterIndex,
                                          const std::vector<uint32_t>& ownPrograms) {
  for (TTcAttachPoint point : kPoints) {
    for (uint32_t id : AttachedProgramIds(adapterIndex, point)) {
      if (std::find(ownPrograms.begin(), ownPrograms.end(), id) != ownPrograms.end()) continue;
      if (const TInterceptionTag* tag = Claimant(tags, id)) return *tag;
    }
  }
  return std::nullopt;
}

std::string LinkName(const std::vector<TLinkInfo>& links, uint32_t index) {
  for (const TLinkInfo& link : links)
    if (link.Index == index) return link.Name;
  return "with index " + std::to_string(index);
}

void RemoveStale(const std::vector<TInterceptionTag>& tags, uint32_t deviceIndex) {
  for (TTcAttachPoint point : kPoints) {
    uint32_t id = ClsBpfProgramId(deviceIndex, point);
    if (id != 0 && !Claimant(tags, id)) DetachClsBpfFilter(deviceIndex, point);
  }
}

}  // namespace

void RefuseIfInterceptedElsewhere(uint32_t adapterIndex, const std::vector<uint32_t>& ownPrograms) {
  std::vector<TLinkInfo> links = ReadLinkTable();
  std::optional<TInterceptionTag> other = FindOther(InterceptionTags(links), adapterIndex, ownPrograms);
  if (!other) return;
  throw std::runtime_error("The adapter " + LinkName(links, adapterIndex) +
                           " is already intercepted by another running instance of Ovelda Tarnwick (process " +
                           std::to_string(other->Process) + ")");
}

void RemoveStaleClsBpfFilters(uint32_t deviceIndex) { RemoveStale(InterceptionTags(ReadLinkTable()), deviceIndex); }

void RemoveStaleClsBpfFilters() {
  std::vector<TLinkInfo> links = ReadLinkTable();
  std::vector<TInterceptionTag> tags = InterceptionTags(links);
  for (const TLinkInfo& link : links) RemoveStale(tags, link.Index);
}
