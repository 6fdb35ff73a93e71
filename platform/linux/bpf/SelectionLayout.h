/* The layout of the maps through which the program tells the steal
 * programs which frames the engine selects: written once here, read by the
 * kernel side (Interception.bpf.c) and by the process (KernelSelection.cpp).
 * Plain C, so that both compilers read it. */
#pragma once
#include <linux/types.h>

/* What the steal program does with a frame that has no re-injection mark.
 * Zero is stealing, so a map nobody has written yet steals every frame. */
enum ot_selection_mode {
  OT_STEAL_ALL = 0,
  OT_DECIDE = 1,
};

/* The longest frame the engine takes whole; a longer one it counts as a
 * jumbo frame before anything else, so such frames always go to it. */
#define OT_MAX_ENGINE_FRAME 1518

/* Address kinds, with the values of the rule's own kinds; OT_ADDR_NONE for a
 * specification that can match no frame (a kind outside the table, a range
 * whose ends are of different IP versions). */
enum ot_addr_kind {
  OT_ADDR_LOCAL_HOST = 0,
  OT_ADDR_SINGLE = 1,
  OT_ADDR_RANGE = 2,
  OT_ADDR_ANY = 3,
  OT_ADDR_MAC = 4,
  OT_ADDR_GROUP = 5,
  OT_ADDR_NONE = 6,
};

/* The address sets of ot_addresses, one key space each. */
enum ot_address_set {
  OT_SET_LOCAL = 0,
  OT_SET_SOURCE_GROUP = 1,
  OT_SET_DESTINATION_GROUP = 2,
};

/* IP versions, with the values of the process's own. */
#define OT_IPV4 0
#define OT_IPV6 1

#define OT_ADDRESS_SET_CAPACITY 16384

struct ot_address_key {
  __u8 set; /* enum ot_address_set */
  __u8 ver; /* OT_IPV4 or OT_IPV6 */
  __u8 pad[2];
  __u8 addr[16]; /* network order; an IPv4 address in the first 4 bytes, the rest zero */
};

/* One side of the rule. Every port kind is held as the set of the ports it
 * selects: bit p of `ports` (byte p / 8, bit p % 8) is port p. */
struct ot_endpoint {
  __u8 addr_kind; /* enum ot_addr_kind */
  __u8 addr_ver;  /* the version of the single address or of both range ends */
  __u8 any_port;  /* 1: the port is not looked at */
  __u8 pad;
  __u8 addr1[16];
  __u8 addr2[16];
  __u8 mac[6];
  __u8 pad2[2];
  __u8 ports[65536 / 8];
};

/* The two sides of the rule, as indexes of ot_rule.sides. */
#define OT_SOURCE 0
#define OT_DESTINATION 1

/* The one element of ot_rule. */
struct ot_rule {
  __u32 mode;     /* enum ot_selection_mode */
  __u8 direction; /* 0 incoming only, 1 outgoing only, 2 both */
  __u8 enabled;   /* the filter rule is in force */
  __u8 protocol;  /* the rule's protocol selector */
  __u8 pad;
  __u16 vlan_id;
  __u16 pad2;
  struct ot_endpoint sides[2]; /* OT_SOURCE, OT_DESTINATION */
};

/* Frames the kernel let pass, as the engine would have read them: a
 * segmented super-frame counts as its segments. Index 0 incoming, 1 outgoing. */
struct ot_passed {
  __u64 frames;
  __u64 bytes;
};
