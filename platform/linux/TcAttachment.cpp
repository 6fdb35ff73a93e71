#include "platform/linux/TcAttachment.h"

#include <bpf/bpf.h>
#include <bpf/libbpf.h>
#include <linux/bpf.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/linux/TcxAttachTypes.h"

namespace {

// The handle and priority that mark a cls_bpf filter as ours. Priority 1 puts
// it in front of filters that others add with the default priorities.
constexpr uint32_t kClsBpfHandle = 0x4F54;
constexpr uint32_t kClsBpfPriority = 1;

int CreateTcxLink(int programFd, uint32_t deviceIndex, TTcAttachPoint point, uint32_t flags) {
  // Debian 12's libbpf has no tcx helpers, so the link is made directly.
  bpf_attr attr;
  std::memset(&attr, 0, sizeof attr);
  attr.link_create.prog_fd = static_cast<uint32_t>(programFd);
  attr.link_create.target_ifindex = deviceIndex;
  attr.link_create.attach_type = point == TTcAttachPoint::Ingress ? kBpfTcxIngress : kBpfTcxEgress;
  attr.link_create.flags = flags;
  return static_cast<int>(::syscall(__NR_bpf, BPF_LINK_CREATE, &attr, sizeof attr));
}

bpf_tc_hook ClsBpfHook(uint32_t deviceIndex, TTcAttachPoint point) {
  bpf_tc_hook hook{};
  hook.sz = sizeof hook;
  hook.ifindex = static_cast<int>(deviceIndex);
  hook.attach_point = point == TTcAttachPoint::Ingress ? BPF_TC_INGRESS : BPF_TC_EGRESS;
  return hook;
}

// Our filter's place on a hook: one handle and priority, so that attaching,
// asking and removing all name the same filter.
bpf_tc_opts ClsBpfOptions() {
  bpf_tc_opts options{};
  options.sz = sizeof options;
  options.handle = kClsBpfHandle;
  options.priority = kClsBpfPriority;
  return options;
}

int DetachClsBpf(uint32_t deviceIndex, TTcAttachPoint point) {
  bpf_tc_hook hook = ClsBpfHook(deviceIndex, point);
  bpf_tc_opts options = ClsBpfOptions();
  return bpf_tc_detach(&hook, &options);
}

std::string PointText(TTcAttachPoint point) { return point == TTcAttachPoint::Ingress ? "ingress" : "egress"; }

}  // namespace

TTcAttachment::TTcAttachment(TAttachKind kind, uint32_t deviceIndex, TTcAttachPoint point,
                             const TBpfProgram& program)
    : FKind(kind), FDeviceIndex(deviceIndex), FPoint(point) {
  if (deviceIndex == 0) throw std::invalid_argument("a tc program needs a device index");
  std::string what = "attaching the " + PointText(point) + " program to device " + std::to_string(deviceIndex);
  if (kind == TAttachKind::Tcx) {
    int fd = CreateTcxLink(program.Fd(), deviceIndex, point, kBpfFlagBefore);
    if (fd < 0 && errno == EINVAL) fd = CreateTcxLink(program.Fd(), deviceIndex, point, 0);
    FLink = TFileDescriptor(fd, what);
  } else {
    bpf_tc_hook hook = ClsBpfHook(deviceIndex, point);
    int error = bpf_tc_hook_create(&hook);
    if (error < 0 && error != -EEXIST) {
      errno = -error;
      ThrowSystemError(what + " (clsact)");
    }
    bpf_tc_opts options = ClsBpfOptions();
    options.prog_fd = program.Fd();
    error = bpf_tc_attach(&hook, &options);
    if (error < 0) {
      errno = -error;
      ThrowSystemError(what);
    }
  }
  FAttached = true;
}

TTcAttachment::TTcAttachment(TFileDescriptor tcxLink) : FKind(TAttachKind::Tcx), FLink(std::move(tcxLink)) {
  if (!FLink.Valid()) throw std::invalid_argument("a tcx link needs a descriptor");
  FAttached = true;
}

TTcAttachment::TTcAttachment(TTcAttachment&& other) noexcept
    : FKind(other.FKind),
      FDeviceIndex(other.FDeviceIndex),
      FPoint(other.FPoint),
      FLink(std::move(other.FLink)),
      FAttached(std::exchange(other.FAttached, false)) {}

TTcAttachment::~TTcAttachment() {
  if (!FAttached) return;
  // A tcx link detaches when its descriptor closes (FLink's destructor).
  if (FKind == TAttachKind::ClsBpf) DetachClsBpf(FDeviceIndex, FPoint);
}

bool KernelHasTcx() {
  // No device has index 0: a kernel with tcx looks for it and says so, an
  // older one refuses the attach type itself.
  bpf_insn program[2] = {};
  program[0].code = BPF_ALU64 | BPF_MOV | BPF_K;
  program[0].imm = -1;
  program[1].code = BPF_JMP | BPF_EXIT;
  bpf_prog_load_opts options{};
  options.sz = sizeof options;
  options.expected_attach_type = static_cast<bpf_attach_type>(kBpfTcxIngress);
  int fd = bpf_prog_load(BPF_PROG_TYPE_SCHED_CLS, "ot_probe", "GPL", program, 2, &options);
  if (fd < 0) return false;
  TFileDescriptor probe(fd, "tcx probe");
  int link = CreateTcxLink(probe.Get(), 0, TTcAttachPoint::Ingress, 0);
  if (link >= 0) {
    ::close(link);
    return true;
  }
  return errno == ENODEV;
}

std::vector<uint32_t> AttachedProgramIds(uint32_t deviceIndex, TTcAttachPoint point) {
  std::vector<uint32_t> ids(16);
  for (;;) {
    struct bpf_prog_query_opts query{};
    query.sz = sizeof query;
    query.prog_ids = ids.data();
    query.prog_cnt = static_cast<uint32_t>(ids.size());
    int error = bpf_prog_query_opts(static_cast<int>(deviceIndex),
                                    static_cast<bpf_attach_type>(point == TTcAttachPoint::Ingress ? kBpfTcxIngress
                                                                                                  : kBpfTcxEgress),
                                    &query);
    if (error == -ENOSPC && query.prog_cnt > ids.size()) {
      ids.resize(query.prog_cnt);
      continue;
    }
    ids.resize(error < 0 ? 0 : std::min<size_t>(query.prog_cnt, ids.size()));
    break;
  }
  if (uint32_t id = ClsBpfProgramId(deviceIndex, point)) ids.push_back(id);
  return ids;
}

uint32_t ClsBpfProgramId(uint32_t deviceIndex, TTcAttachPoint point) {
  bpf_tc_hook hook = ClsBpfHook(deviceIndex, point);
  bpf_tc_opts options = ClsBpfOptions();
  return bpf_tc_query(&hook, &options) == 0 ? options.prog_id : 0;
}

void DetachClsBpfFilter(uint32_t deviceIndex, TTcAttachPoint point) { DetachClsBpf(deviceIndex, point); }
