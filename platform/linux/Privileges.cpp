#include "platform/linux/Privileges.h"

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdint>

namespace {

// CAP_BPF came with Linux 5.8 and is missing from older headers.
constexpr int kCapBpf = 39;

bool HasCapability(const __user_cap_data_struct (&data)[2], int capability) {
  return (data[capability / 32].effective >> (capability % 32)) & 1U;
}

}  // namespace

std::string OwnCapabilitiesRefusal() {
  if (::geteuid() == 0) return {};
  __user_cap_header_struct header{};
  header.version = _LINUX_CAPABILITY_VERSION_3;
  __user_cap_data_struct data[2] = {};
  if (::syscall(SYS_capget, &header, data) < 0) return "the process capabilities cannot be read";
  for (const auto& set : data)
    if (set.permitted != 0 || set.effective != 0)
      return "Ovelda Tarnwick does not run with capabilities of its own; remove them (setcap -r on the program) "
             "and let its helper ovelda-tarnwick-helper intercept the adapters";
  return {};
}

std::string MissingPrivileges() {
  __user_cap_header_struct header{};
  header.version = _LINUX_CAPABILITY_VERSION_3;
  header.pid = 0;
  __user_cap_data_struct data[2] = {};
  if (::syscall(SYS_capget, &header, data) < 0) return "the process capabilities cannot be read";
  struct {
    int Capability;
    const char* Name;
  } const needed[] = {{CAP_NET_ADMIN, "CAP_NET_ADMIN"}, {CAP_NET_RAW, "CAP_NET_RAW"}, {kCapBpf, "CAP_BPF"}};
  std::string missing;
  for (const auto& item : needed) {
    if (!HasCapability(data, item.Capability)) missing += (missing.empty() ? "" : ", ") + std::string(item.Name);
  }
  if (missing.empty()) return {};
  return "The packet driver needs root or the capabilities CAP_NET_ADMIN, CAP_NET_RAW and CAP_BPF; missing: " +
         missing;
}
