#include "platform/linux/BpfProgram.h"

#include <bpf/bpf.h>
#include <bpf/libbpf.h>
#include <fcntl.h>
#include <linux/bpf.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>

#include "platform/linux/TcxAttachTypes.h"

// The object file of bpf/Interception.bpf.c, built into the program.
extern const uint8_t kInterceptionBpfObject[];
extern const size_t kInterceptionBpfObjectSize;

namespace {

// What the programs read from their read-only data; the same layout as
// `config` in bpf/Interception.bpf.c.
struct TProgramConfig {
  uint32_t TargetIndex;
  uint32_t ReinjectMark;
};

[[noreturn]] void ThrowLoadError(int error, const std::string& what) {
  errno = error < 0 ? -error : error;
  ThrowSystemError(what);
}

bpf_map* ReadOnlyData(bpf_object* object) {
  bpf_map* map;
  bpf_object__for_each_map(map, object) {
    const std::string name = bpf_map__name(map);
    if (bpf_map__is_internal(map) && name.size() >= 7 && name.compare(name.size() - 7, 7, ".rodata") == 0)
      return map;
  }
  return nullptr;
}

// Opens a fresh copy of the object, so that each loaded program has its own
// configuration, and loads only the program `name` from it.
TBpfProgram Load(const char* name, const TProgramConfig& config, TTcAttachPoint point, bool forTcx) {
  const std::string what = std::string("the kernel refused to load the packet program ") + name;
  LIBBPF_OPTS(bpf_object_open_opts, options, .object_name = "ot_interception");
  bpf_object* opened = bpf_object__open_mem(kInterceptionBpfObject, kInterceptionBpfObjectSize, &options);
  if (!opened) ThrowLoadError(errno, what);
  std::unique_ptr<bpf_object, void (*)(bpf_object*)> object(opened, bpf_object__close);
  bpf_program* wanted = nullptr;
  bpf_program* program;
  bpf_object__for_each_program(program, object.get()) {
    const bool match = std::strcmp(bpf_program__name(program), name) == 0;
    bpf_program__set_autoload(program, match);
    if (match) wanted = program;
  }
  bpf_map* rodata = ReadOnlyData(object.get());
  if (!wanted || !rodata) throw std::logic_error(what + ": not in the built object");
  bpf_program__set_type(wanted, BPF_PROG_TYPE_SCHED_CLS);
  if (forTcx) {
    bpf_program__set_expected_attach_type(
        wanted, static_cast<bpf_attach_type>(point == TTcAttachPoint::Ingress ? kBpfTcxIngress : kBpfTcxEgress));
  }
  if (int error = bpf_map__set_initial_value(rodata, &config, sizeof config)) ThrowLoadError(error, what);
  if (int error = bpf_object__load(object.get())) ThrowLoadError(error, what);
  // Closing the object closes its descriptors; the program lives on in ours.
  int fd = ::fcntl(bpf_program__fd(wanted), F_DUPFD_CLOEXEC, 0);
  if (fd < 0) ThrowSystemError(what);
  return TBpfProgram(TFileDescriptor(fd, name));
}

}  // namespace

uint32_t TBpfProgram::Id() const {
  bpf_prog_info info{};
  uint32_t length = sizeof info;
  if (bpf_obj_get_info_by_fd(FFd.Get(), &info, &length) != 0) ThrowSystemError("reading a packet program's id");
  return info.id;
}

TBpfProgram LoadStealProgram(uint32_t targetIndex, TTcAttachPoint point, bool forTcx) {
  return Load("ot_steal", {targetIndex, kReinjectMark}, point, forTcx);
}

TBpfProgram LoadReinjectProgram(uint32_t adapterIndex, TTcAttachPoint point, bool forTcx) {
  return Load("ot_reinject", {adapterIndex, kReinjectMark}, point, forTcx);
}
