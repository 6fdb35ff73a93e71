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
  uint32_t Incoming;
  uint32_t DeliverMark;
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

// The maps of the object, in the order of TSelectionMaps' descriptors.
constexpr const char* kMapNames[] = {"ot_rule", "ot_addresses", "ot_passed"};

bpf_map* MapNamed(bpf_object* object, const char* name, const std::string& what) {
  bpf_map* map = bpf_object__find_map_by_name(object, name);
  if (!map) throw std::logic_error(what + ": no map " + name + " in the built object");
  return map;
}

TFileDescriptor Duplicate(int fd, const std::string& what) {
  return TFileDescriptor(::fcntl(fd, F_DUPFD_CLOEXEC, 0), what);
}

// Before the load: the program uses the maps it is given.
void ReuseMaps(bpf_object* object, const TSelectionMaps& maps, const std::string& what) {
  const int fds[] = {maps.RuleFd(), maps.AddressesFd(), maps.PassedFd()};
  for (size_t i = 0; i < 3; ++i)
    if (int error = bpf_map__reuse_fd(MapNamed(object, kMapNames[i], what), fds[i])) ThrowLoadError(error, what);
}

// After the load: the maps created with the program, for the next ones.
TSelectionMaps CreatedMaps(bpf_object* object, const std::string& what) {
  return TSelectionMaps(Duplicate(bpf_map__fd(MapNamed(object, kMapNames[0], what)), what),
                        Duplicate(bpf_map__fd(MapNamed(object, kMapNames[1], what)), what),
                        Duplicate(bpf_map__fd(MapNamed(object, kMapNames[2], what)), what));
}

// Opens a fresh copy of the object, so that each loaded program has its own
// configuration, and loads only the program `name` from it.
TBpfProgram Load(const char* name, const TProgramConfig& config, TTcAttachPoint point, bool forTcx,
                 TSelectionMaps& maps) {
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
  if (maps.Valid()) ReuseMaps(object.get(), maps, what);
  if (int error = bpf_object__load(object.get())) ThrowLoadError(error, what);
  if (!maps.Valid()) maps = CreatedMaps(object.get(), what);
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

TBpfProgram LoadStealProgram(uint32_t targetIndex, TTcAttachPoint point, bool forTcx, TSelectionMaps& maps) {
  const uint32_t incoming = point == TTcAttachPoint::Ingress ? 1 : 0;
  return Load("ot_steal", {targetIndex, kReinjectMark, incoming, kDeliverMark}, point, forTcx, maps);
}

TBpfProgram LoadReinjectProgram(uint32_t adapterIndex, TTcAttachPoint point, bool forTcx, TSelectionMaps& maps) {
  return Load("ot_reinject", {adapterIndex, kReinjectMark, 0, 0}, point, forTcx, maps);
}
