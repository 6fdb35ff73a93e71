#include "platform/linux/helper/HelperCapabilities.h"

#include <linux/capability.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "common/FileDescriptor.h"

namespace {

struct TSets {
  uint64_t Effective = 0;
  uint64_t Permitted = 0;
  uint64_t Inheritable = 0;
};

TSets ReadSets() {
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct data[2] = {};
  if (::syscall(SYS_capget, &header, data) < 0) ThrowSystemError("reading the capabilities");
  auto join = [&](auto member) {
    return static_cast<uint64_t>(data[0].*member) | (static_cast<uint64_t>(data[1].*member) << 32);
  };
  return {join(&__user_cap_data_struct::effective), join(&__user_cap_data_struct::permitted),
          join(&__user_cap_data_struct::inheritable)};
}

void WriteSets(const TSets& sets) {
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct data[2] = {};
  for (int i = 0; i < 2; ++i) {
    data[i].effective = static_cast<uint32_t>(sets.Effective >> (32 * i));
    data[i].permitted = static_cast<uint32_t>(sets.Permitted >> (32 * i));
    data[i].inheritable = static_cast<uint32_t>(sets.Inheritable >> (32 * i));
  }
  if (::syscall(SYS_capset, &header, data) < 0) ThrowSystemError("changing the capabilities");
}

}  // namespace

std::string RestrictToHelperCapabilities() {
  if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) < 0) ThrowSystemError("refusing new privileges");
  ::prctl(PR_CAP_AMBIENT, PR_CAP_AMBIENT_CLEAR_ALL, 0, 0, 0);
  const TSets sets = ReadSets();
  WriteSets({0, sets.Permitted & kHelperCapabilities, 0});
  struct {
    uint64_t Bit;
    const char* Name;
  } const names[] = {{kCapNetAdmin, "CAP_NET_ADMIN"}, {kCapNetRaw, "CAP_NET_RAW"}, {kCapBpf, "CAP_BPF"}};
  std::string missing;
  for (const auto& name : names)
    if ((sets.Permitted & name.Bit) == 0) missing += (missing.empty() ? "" : ", ") + std::string(name.Name);
  return missing;
}

TEffectiveCapabilities::TEffectiveCapabilities(uint64_t capabilities) {
  const TSets sets = ReadSets();
  WriteSets({capabilities & sets.Permitted, sets.Permitted, 0});
}

TEffectiveCapabilities::~TEffectiveCapabilities() {
  try {
    const TSets sets = ReadSets();
    WriteSets({0, sets.Permitted, 0});
  } catch (const std::exception&) {
    // Lowering what is permitted never fails; nothing else to do here.
  }
}

uint64_t EffectiveCapabilities() { return ReadSets().Effective; }
