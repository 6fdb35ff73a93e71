#pragma once
// How an interception of ours shows itself to every process of the network
// namespace, whoever runs it and whatever it may read: its TAP devices are
// tun devices named otinN and otoutN, and their alias (ifalias) names the
// adapter they serve, the process, and the ids of the programs it attaches.
// A non-persistent TAP vanishes with the last descriptor of its process, so a
// tag on an existing TAP always speaks for a live interception.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/linux/LinkTable.h"

inline constexpr char kInTapTemplate[] = "otin%d";
inline constexpr char kOutTapTemplate[] = "otout%d";

struct TInterceptionTag {
  uint32_t Adapter = 0;
  int32_t Process = 0;
  std::vector<uint32_t> Programs;

  bool Claims(uint32_t programId) const;
};

std::string FormatInterceptionTag(const TInterceptionTag& tag);
// nullopt for any other text.
std::optional<TInterceptionTag> ParseInterceptionTag(const std::string& alias);

// A TAP of an interception of ours, of this process or of another one.
bool IsInterceptionDevice(const TLinkInfo& link);

// The tags of the interceptions whose TAPs are among the links.
std::vector<TInterceptionTag> InterceptionTags(const std::vector<TLinkInfo>& links);
