// The interception's two tc programs, compiled for the kernel with clang
// (-target bpf) and loaded with libbpf. The loader sets `config` before each
// load, so that one object serves every adapter and TAP.
#include <linux/bpf.h>
#include <linux/pkt_cls.h>
#include <bpf/bpf_helpers.h>

// Filled in by the loader: where frames go, and the mark that tells frames
// this process put back from frames it has not seen yet.
const volatile struct {
  __u32 target_index;
  __u32 reinject_mark;
} config = {};

// On the adapter: a frame without the mark goes to the TAP `target_index`
// for transmission, where the process reads it; a marked frame has the mark
// cleared and goes on as if this program were not there.
SEC("tc")
int ot_steal(struct __sk_buff *skb) {
  if (skb->mark == config.reinject_mark) {
    skb->mark = 0;
    return TC_ACT_UNSPEC;
  }
  return bpf_redirect(config.target_index, 0);
}

// On the TAP the process writes to: every frame gets the mark and is
// delivered to the receive path of the adapter `target_index`, as if it had
// arrived there from the wire.
SEC("tc")
int ot_reinject(struct __sk_buff *skb) {
  skb->mark = config.reinject_mark;
  return bpf_redirect(config.target_index, BPF_F_INGRESS);
}

char LICENSE[] SEC("license") = "GPL";
