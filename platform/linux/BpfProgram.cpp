#include "platform/linux/BpfProgram.h"

#include <bpf/bpf.h>
#include <linux/bpf.h>

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "platform/linux/TcxAttachTypes.h"

namespace {

// The instruction encodings the programs use (the kernel's own helper macros
// are not part of its user-space headers).
bpf_insn Instruction(uint8_t code, uint8_t dst, uint8_t src, int16_t offset, int32_t immediate) {
  bpf_insn insn{};
  insn.code = code;
  insn.dst_reg = dst & 0xF;
  insn.src_reg = src & 0xF;
  insn.off = offset;
  insn.imm = immediate;
  return insn;
}
bpf_insn MoveImmediate(uint8_t dst, int32_t value) { return Instruction(BPF_ALU64 | BPF_MOV | BPF_K, dst, 0, 0, value); }
bpf_insn LoadWord(uint8_t dst, uint8_t base, int16_t offset) {
  return Instruction(BPF_LDX | BPF_MEM | BPF_W, dst, base, offset, 0);
}
bpf_insn StoreWord(uint8_t base, int16_t offset, uint8_t src) {
  return Instruction(BPF_STX | BPF_MEM | BPF_W, base, src, offset, 0);
}
bpf_insn JumpIfNotEqual(uint8_t dst, int32_t value, int16_t skip) {
  return Instruction(BPF_JMP | BPF_JNE | BPF_K, dst, 0, skip, value);
}
bpf_insn Call(int32_t helper) { return Instruction(BPF_JMP | BPF_CALL, 0, 0, 0, helper); }
bpf_insn Exit() { return Instruction(BPF_JMP | BPF_EXIT, 0, 0, 0, 0); }

constexpr uint8_t R0 = 0, R1 = 1, R2 = 2;
constexpr int16_t kMarkOffset = offsetof(__sk_buff, mark);
// "Go on as if this program were not there": the next program of the chain
// (tcx) or the next filter (cls_bpf direct action), else the normal path.
constexpr int32_t kActionContinue = -1;

TBpfProgram Load(const std::vector<bpf_insn>& instructions, const char* name, TTcAttachPoint point,
                 bool forTcx) {
  bpf_prog_load_opts options{};
  options.sz = sizeof options;
  if (forTcx) {
    options.expected_attach_type = static_cast<bpf_attach_type>(
        point == TTcAttachPoint::Ingress ? kBpfTcxIngress : kBpfTcxEgress);
  }
  int fd = bpf_prog_load(BPF_PROG_TYPE_SCHED_CLS, name, "GPL", instructions.data(), instructions.size(),
                         &options);
  if (fd < 0) {
    errno = -fd;
    ThrowSystemError(std::string("the kernel refused to load the packet program ") + name);
  }
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
  std::vector<bpf_insn> program = {
      LoadWord(R2, R1, kMarkOffset),                               // 0
      JumpIfNotEqual(R2, static_cast<int32_t>(kReinjectMark), 4),  // 1: unmarked -> 6
      MoveImmediate(R2, 0),                                        // 2
      StoreWord(R1, kMarkOffset, R2),                              // 3: clear the mark
      MoveImmediate(R0, kActionContinue),                          // 4
      Exit(),                                                      // 5
      MoveImmediate(R1, static_cast<int32_t>(targetIndex)),        // 6
      MoveImmediate(R2, 0),                                        // 7: to the target's transmit path
      Call(BPF_FUNC_redirect),                                     // 8
      Exit(),                                                      // 9
  };
  return Load(program, "ot_steal", point, forTcx);
}

TBpfProgram LoadReinjectProgram(uint32_t adapterIndex, TTcAttachPoint point, bool forTcx) {
  std::vector<bpf_insn> program = {
      MoveImmediate(R2, static_cast<int32_t>(kReinjectMark)),
      StoreWord(R1, kMarkOffset, R2),
      MoveImmediate(R1, static_cast<int32_t>(adapterIndex)),
      MoveImmediate(R2, BPF_F_INGRESS),
      Call(BPF_FUNC_redirect),
      Exit(),
  };
  return Load(program, "ot_reinject", point, forTcx);
}
