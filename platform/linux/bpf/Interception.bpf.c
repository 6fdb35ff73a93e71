// The interception's two tc programs, compiled for the kernel with clang
// (-target bpf) and loaded with libbpf. The loader sets `config` before each
// load, so that one object serves every adapter and TAP.
#include <linux/bpf.h>
#include <linux/pkt_cls.h>
#include <bpf/bpf_helpers.h>

#include "SelectionLayout.h"

// Filled in by the loader: where frames go, the mark that tells frames
// this process put back from frames it has not seen yet, whether the
// program runs on the adapter's receive side, and the mark of frames the
// process sends on the adapter for its own receive path.
const volatile struct {
  __u32 target_index;
  __u32 reinject_mark;
  __u32 incoming;
  __u32 deliver_mark;
} config = {};

// The rule the engine applies, written by the process (SelectionLayout.h).
struct {
  __uint(type, BPF_MAP_TYPE_ARRAY);
  __uint(max_entries, 1);
  __type(key, __u32);
  __type(value, struct ot_rule);
} ot_rule SEC(".maps");

// The host's own addresses and the members of the groups the rule names.
struct {
  __uint(type, BPF_MAP_TYPE_HASH);
  __uint(max_entries, OT_ADDRESS_SET_CAPACITY);
  __uint(map_flags, BPF_F_NO_PREALLOC);
  __type(key, struct ot_address_key);
  __type(value, __u8);
} ot_addresses SEC(".maps");

// What the kernel let pass, per direction.
struct {
  __uint(type, BPF_MAP_TYPE_PERCPU_ARRAY);
  __uint(max_entries, 2);
  __type(key, __u32);
  __type(value, struct ot_passed);
} ot_passed SEC(".maps");

// The head of a frame as the engine would read it from the TAP: a VLAN tag
// the kernel keeps beside the data is put back in place, as the TAP does.
// Every read the rule makes lies within the first 90 bytes; OT_LOAD of them
// are read, after room for a tag, in a buffer whose size is a power of two.
#define OT_LOAD 128
#define OT_HEAD 256
struct ot_frame {
  __u8 b[OT_HEAD];
  __u32 len;   // the whole frame's length, tag included
  __u32 zero;  // 0, see byte_at
};

// Where each processor reads the frame: a map value, not the stack, since
// without CAP_PERFMON (the helper's case) the verifier refuses reads from
// the stack at offsets that depend on the frame.
struct {
  __uint(type, BPF_MAP_TYPE_PERCPU_ARRAY);
  __uint(max_entries, 1);
  __type(key, __u32);
  __type(value, struct ot_frame);
} ot_scratch SEC(".maps");

static __always_inline int has(const struct ot_frame *f, __u32 offset, __u32 size) {
  return (__u64)offset + size <= f->len;
}

// Offsets below 90 only ever reach here after has(); the mask keeps the
// verifier sure of it. Without CAP_PERFMON (the helper's case) the verifier
// refuses an access whose offset has other bounds on another path that
// reaches the same instruction; adding `zero`, which it cannot know, gives
// the offset the same bounds, 0 to OT_HEAD - 1, on every path.
static __always_inline __u8 byte_at(const struct ot_frame *f, __u32 offset) {
  return f->b[(offset + f->zero) & (OT_HEAD - 1)];
}

static __always_inline __u16 u16_at(const struct ot_frame *f, __u32 offset) {
  return ((__u16)byte_at(f, offset) << 8) | byte_at(f, offset + 1);
}

// min(length, room) for a length of at least 1, in a form the verifier
// sees bounded by 1 and room (a power of two) in the register it checks.
static __always_inline __u32 load_size(__u32 length, __u32 room) {
  __u32 n = length < room ? length : room;
  asm volatile("" : "+r"(n));
  return ((n - 1) & (room - 1)) + 1;
}

static __always_inline int read_frame(struct __sk_buff *skb, struct ot_frame *f) {
  __u32 data_len = skb->len;
  if (!skb->vlan_present) {
    f->len = data_len;
    if (data_len == 0) return 1;
    return bpf_skb_load_bytes(skb, 0, f->b, load_size(data_len, OT_LOAD)) == 0;
  }
  // The tag goes back between the addresses and the EtherType.
  if (data_len < 14) return 0;
  if (bpf_skb_load_bytes(skb, 0, f->b, 12) != 0) return 0;
  __u16 proto = skb->vlan_proto;  // network order already
  __builtin_memcpy(&f->b[12], &proto, 2);
  f->b[14] = (__u8)(skb->vlan_tci >> 8);
  f->b[15] = (__u8)skb->vlan_tci;
  f->len = data_len + 4;
  return bpf_skb_load_bytes(skb, 12, &f->b[16], load_size(data_len - 12, OT_LOAD)) == 0;
}

// The matching steps below are global functions: the verifier checks each
// of them once, not once for every caller and every path that leads there,
// which keeps loading fast. They take numbers only and find the frame and
// the rule in their maps themselves: without CAP_PERFMON (the helper's
// case) the verifier allows no arithmetic on a pointer handed to them.
#define OT_VERIFIED_ONCE __attribute__((noinline))

static __always_inline struct ot_frame *scratch_frame(void) {
  __u32 key = 0;
  return bpf_map_lookup_elem(&ot_scratch, &key);
}

static __always_inline const struct ot_rule *current_rule(void) {
  __u32 key = 0;
  return bpf_map_lookup_elem(&ot_rule, &key);
}

// The bytes of an address (at most 16) that starts at offset, which is
// below 90 as in byte_at, through one pointer. Read through a pointer of its
// own, as byte_at reads, each byte would give the verifier, without
// CAP_PERFMON, one more speculative path to follow from there on, and those
// of older kernels (6.1) more paths than their limit of instructions.
#define OT_FIELD_ROOM 128
static __always_inline const __u8 *field_at(const struct ot_frame *f, __u32 offset) {
  return &f->b[(offset + f->zero) & (OT_FIELD_ROOM - 1)];
}

static __always_inline __u32 be32_of(const __u8 *value) {
  return ((__u32)value[0] << 24) | ((__u32)value[1] << 16) | ((__u32)value[2] << 8) | value[3];
}

// Word i of the frame's address a against that of value: -1, 0 or 1.
static __always_inline int word_order(const __u8 *a, const __u8 *value, __u32 i) {
  const __u32 mine = be32_of(a + 4 * i);
  const __u32 theirs = be32_of(value + 4 * i);
  return mine == theirs ? 0 : mine < theirs ? -1 : 1;
}

// The frame's address a against value as numbers, 4 bytes at a time (1 word
// for IPv4, 4 for IPv6): <0, 0 or >0. The first word that differs answers
// at once: a result carried on through the later words would give the
// verifier of older kernels (6.1), which without CAP_PERFMON also follows
// each branch the way it is not taken, more paths than its limit.
static __always_inline int address_order(const __u8 *a, const __u8 *value, __u32 words) {
  const int first = word_order(a, value, 0);
  if (first != 0 || words == 1) return first;
  const int second = word_order(a, value, 1);
  if (second != 0) return second;
  const int third = word_order(a, value, 2);
  if (third != 0) return third;
  return word_order(a, value, 3);
}

static __always_inline int mac_equals(const __u8 *a, const __u8 *mac) {
  return be32_of(a) == be32_of(mac) && a[4] == mac[4] && a[5] == mac[5];
}

// Where each processor builds the key of an address lookup: a map value,
// not the stack. Without CAP_PERFMON the verifier of older kernels (6.1)
// takes a byte stored at the start of a stack slot for a spilled register,
// and refuses the next byte stored beside it.
struct {
  __uint(type, BPF_MAP_TYPE_PERCPU_ARRAY);
  __uint(max_entries, 1);
  __type(key, __u32);
  __type(value, struct ot_address_key);
} ot_key_scratch SEC(".maps");

static __always_inline int in_address_set(__u32 set, const __u8 *a, __u32 ver) {
  __u32 index = 0;
  struct ot_address_key *key = bpf_map_lookup_elem(&ot_key_scratch, &index);
  if (!key) return 0;
  key->set = (__u8)set;
  key->ver = (__u8)ver;
  key->pad[0] = 0;
  key->pad[1] = 0;
  const __u32 size = ver == OT_IPV4 ? 4 : 16;
#pragma unroll
  for (__u32 i = 0; i < 16; ++i) key->addr[i] = i < size ? a[i] : 0;
  return bpf_map_lookup_elem(&ot_addresses, key) != 0;
}

// The address specification of the rule's side (OT_SOURCE or
// OT_DESTINATION) against the frame's address at ip, or its MAC address at
// mac.
OT_VERIFIED_ONCE int ot_address_matches(__u32 side, __u32 ver, __u32 ip, __u32 mac) {
  const struct ot_rule *r = current_rule();
  const struct ot_frame *f = scratch_frame();
  if (!r || !f) return 0;
  side &= 1;
  const struct ot_endpoint *e = &r->sides[side];
  const __u32 words = ver == OT_IPV4 ? 1 : 4;
  const int has_ip = has(f, ip, words * 4);
  const __u8 *a = field_at(f, ip);
  switch (e->addr_kind) {
    case OT_ADDR_ANY:
      return 1;
    case OT_ADDR_MAC:
      return has(f, mac, 6) && mac_equals(field_at(f, mac), e->mac);
    case OT_ADDR_LOCAL_HOST:
      if (!has_ip) return 0;
      // An IPv4 address ending in 255 counts as a broadcast of this host.
      if (ver == OT_IPV4 && a[3] == 255) return 1;
      return in_address_set(OT_SET_LOCAL, a, ver);
    case OT_ADDR_SINGLE:
      return has_ip && e->addr_ver == ver && address_order(a, e->addr1, words) == 0;
    case OT_ADDR_RANGE:
      return has_ip && e->addr_ver == ver && address_order(a, e->addr1, words) >= 0 &&
             address_order(a, e->addr2, words) <= 0;
    case OT_ADDR_GROUP:
      return has_ip && in_address_set(side == OT_SOURCE ? OT_SET_SOURCE_GROUP : OT_SET_DESTINATION_GROUP, a, ver);
    default:
      return 0;
  }
}

// The port specification of the rule's side against the frame's port at offset.
OT_VERIFIED_ONCE int ot_port_matches(__u32 side, __u32 offset) {
  const struct ot_rule *r = current_rule();
  const struct ot_frame *f = scratch_frame();
  if (!r || !f) return 0;
  const struct ot_endpoint *e = &r->sides[side & 1];
  if (e->any_port) return 1;
  if (!has(f, offset, 2)) return 0;
  __u32 port = u16_at(f, offset);
  // The verifier of older kernels (6.1) keeps no bounds through the OR of
  // the two bytes, and would refuse the port as an index; the mask bounds it
  // again, and the barrier keeps the compiler from dropping the mask.
  asm volatile("" : "+r"(port));
  port &= 0xFFFF;
  return (e->ports[port >> 3] >> (port & 7)) & 1;
}

// One side of the frame as the rule sees it.
struct ot_side {
  __u32 mac;   // offset of its MAC address
  __u32 ip;    // offset of its IP address
  __u32 port;  // offset of its port
};

// The rule's source side against `from`, its destination side against `to`.
static __always_inline int sides_match(__u32 ver, const struct ot_side *from, const struct ot_side *to,
                                       int port_protocol) {
  return ot_address_matches(OT_SOURCE, ver, from->ip, from->mac) &&
         ot_address_matches(OT_DESTINATION, ver, to->ip, to->mac) &&
         (!port_protocol || (ot_port_matches(OT_SOURCE, from->port) && ot_port_matches(OT_DESTINATION, to->port)));
}

static __always_inline int is_ipv4_protocol(__u8 p) { return p >= 1 && p <= 7; }
static __always_inline int is_ipv6_protocol(__u8 p) { return p >= 8 && p <= 14; }
static __always_inline int is_port_protocol(__u8 p) { return (p >= 1 && p <= 3) || (p >= 8 && p <= 10); }

static __always_inline int ip_protocol_passes(__u8 protocol, const struct ot_frame *f, __u32 offset) {
  if (protocol == 7 || protocol == 14) return 1;
  if (!has(f, offset, 1)) return 0;
  __u8 p = byte_at(f, offset);
  switch (protocol) {
    case 1:
    case 8:
      return p == 6;
    case 2:
    case 9:
      return p == 17;
    case 3:
    case 10:
      return p == 6 || p == 17;
    case 4:
    case 11:
      return p == 51 || p == 50;
    case 5:
    case 12:
      return p == 47;
    case 6:
      return p == 1;
    case 13:
      return p == 58 || p == 1;
    default:
      return 0;
  }
}

// The filter test on the frame in the scratch map, read for read as the
// engine makes it.
OT_VERIFIED_ONCE int ot_rule_matches(void) {
  const struct ot_rule *r = current_rule();
  const struct ot_frame *f = scratch_frame();
  if (!r || !f) return 0;
  const __u8 protocol = r->protocol;
  if (r->vlan_id == 0 && protocol == 0) return 1;
  if (!has(f, 12, 2)) return 0;
  __u32 ether_type_offset = 12;
  __u16 vlan_id = 0;
  if (u16_at(f, 12) == 0x8100) {
    if (!has(f, 14, 2)) return 0;
    vlan_id = u16_at(f, 14) & 0x0FFF;
    ether_type_offset = 16;
  }
  if (r->vlan_id != 0 && r->vlan_id != vlan_id) return 0;
  if (protocol == 0) return 1;
  if (!has(f, ether_type_offset, 2)) return 0;
  const __u16 ether_type = u16_at(f, ether_type_offset);
  const __u32 net = ether_type_offset + 2;
  __u32 ver;
  struct ot_side source = {.mac = 6}, destination = {.mac = 0};
  __u32 transport;
  if (ether_type == 0x0800) {
    if (!is_ipv4_protocol(protocol) || !ip_protocol_passes(protocol, f, net + 9)) return 0;
    ver = OT_IPV4;
    source.ip = net + 12;
    destination.ip = net + 16;
    transport = has(f, net, 1) ? net + (byte_at(f, net) & 0x0F) * 4 : f->len;
  } else if (ether_type == 0x86DD) {
    if (!is_ipv6_protocol(protocol) || !ip_protocol_passes(protocol, f, net + 6)) return 0;
    ver = OT_IPV6;
    source.ip = net + 8;
    destination.ip = net + 24;
    transport = net + 40;
  } else if (ether_type == 0x0806) {
    return protocol == 16;
  } else if (ether_type == 0x8863 || ether_type == 0x8864) {
    return protocol == 15;
  } else {
    return 0;
  }
  const int port_protocol = is_port_protocol(protocol);
  source.port = transport;
  destination.port = transport + 2;
  if (sides_match(ver, &source, &destination, port_protocol)) return 1;
  if (r->direction != 2) return 0;
  return sides_match(ver, &destination, &source, port_protocol);
}

// The frames the engine would read for this one, and their bytes. A
// segmented super-frame becomes its segments; 0 when the engine would count
// one of them as a jumbo frame, or when the segments cannot be told exactly
// (only TCP super-frames carry every header in each segment for certain).
struct ot_wire {
  __u64 frames;
  __u64 bytes;
};

static __always_inline int wire_frames(const struct __sk_buff *skb, const struct ot_frame *f, struct ot_wire *w) {
  if (skb->gso_size == 0) {
    w->frames = 1;
    w->bytes = f->len;
    return f->len <= OT_MAX_ENGINE_FRAME;
  }
  __u32 net = 14;
  if (has(f, 12, 2) && u16_at(f, 12) == 0x8100) net = 18;
  if (!has(f, net - 2, 2)) return 0;
  const __u16 ether_type = u16_at(f, net - 2);
  __u32 tcp;
  if (ether_type == 0x0800) {
    if (!has(f, net, 20) || byte_at(f, net + 9) != 6) return 0;
    tcp = net + (byte_at(f, net) & 0x0F) * 4;
    if (tcp < net + 20) return 0;
  } else if (ether_type == 0x86DD) {
    if (!has(f, net, 40) || byte_at(f, net + 6) != 6) return 0;
    tcp = net + 40;
  } else {
    return 0;
  }
  if (!has(f, tcp, 20)) return 0;
  const __u32 headers = tcp + (byte_at(f, tcp + 12) >> 4) * 4;
  const __u32 segments = skb->gso_segs;
  if (headers < tcp + 20 || segments == 0 || headers + skb->gso_size > OT_MAX_ENGINE_FRAME) return 0;
  w->frames = segments;
  w->bytes = f->len + (__u64)(segments - 1) * headers;
  return 1;
}

// True when the engine would hand the frame back untouched: it is of a
// direction the engine does not emulate, or the rule in force does not
// select it. Every frame of an emulated direction without a rule goes to
// the engine before its bytes are even read.
static __always_inline int decided_in_kernel(struct __sk_buff *skb) {
  const struct ot_rule *r = current_rule();
  if (!r || r->mode != OT_DECIDE) return 0;
  const int other_direction = config.incoming ? r->direction == 1 : r->direction == 0;
  if (!other_direction && !r->enabled) return 0;
  struct ot_frame *f = scratch_frame();
  if (!f) return 0;
  // Zeroed, so that no read beyond what was loaded meets an earlier frame.
  __builtin_memset(f, 0, sizeof *f);
  if (!read_frame(skb, f)) return 0;
  struct ot_wire w;
  if (!wire_frames(skb, f, &w)) return 0;
  if (!other_direction && ot_rule_matches()) return 0;
  const __u32 key = config.incoming ? 0 : 1;
  struct ot_passed *passed = bpf_map_lookup_elem(&ot_passed, &key);
  if (passed) {
    passed->frames += w.frames;
    passed->bytes += w.bytes;
  }
  return 1;
}

// On the adapter: a marked frame has the mark cleared and goes on as if this
// program were not there; so does a frame the engine would only hand back.
// A frame the process sends with the deliver mark turns round on the
// transmit side into the adapter's receive path, carrying the mark that lets
// it pass there: many of them leave the process in one sendmmsg(), where the
// TAP takes one write() each.
// Any other goes to the TAP `target_index` for transmission, where the
// process reads it.
SEC("tc")
int ot_steal(struct __sk_buff *skb) {
  if (skb->mark == config.reinject_mark) {
    skb->mark = 0;
    return TC_ACT_UNSPEC;
  }
  if (!config.incoming && config.deliver_mark != 0 && skb->mark == config.deliver_mark) {
    skb->mark = config.reinject_mark;
    return bpf_redirect(skb->ifindex, BPF_F_INGRESS);
  }
  if (decided_in_kernel(skb)) return TC_ACT_UNSPEC;
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
