#!/usr/bin/env bash
# bench/netns/bench_netns.sh BUILD_DIR: real traffic through the emulator in
# network namespaces built for this run, beside the kernel's own paths and
# tbf on the same namespaces and frame sizes. Prints "name value" lines; a
# figure with a baseline is followed by "<name>.vs_<baseline> ratio" and,
# where there is one, the target the ratio should reach.
#
# Hosts: A (10.99.0.1) -- xa0 [M] xb0 -- B (10.99.0.2). In normal mode M is
# the host under emulation (10.99.0.3 on xa0) and A talks to it; in bridge
# mode A talks to B across M.
set -euo pipefail
build=${1:?usage: bench_netns.sh BUILD_DIR}
emulator=$build/bench/netns/ot_netns_emulator
[ -x "$emulator" ] || { echo "missing $emulator (build the benchmarks first)" >&2; exit 1; }
[ "$(id -u)" -eq 0 ] || { echo "netns benchmarks need root" >&2; exit 1; }

p=otb$$
A=${p}a M=${p}m B=${p}b
emu_pid=""
cleanup() {
  [ -n "$emu_pid" ] && kill "$emu_pid" 2>/dev/null && wait "$emu_pid" 2>/dev/null || true
  for ns in $A $M $B; do ip netns del "$ns" 2>/dev/null || true; done
}
trap cleanup EXIT

nsx() { local ns=$1; shift; ip netns exec "$ns" "$@"; }

for ns in $A $M $B; do ip netns add "$ns"; nsx "$ns" ip link set lo up; done
nsx $M ip link add xa0 type veth peer name ya0 netns $A
nsx $M ip link add xb0 type veth peer name yb0 netns $B
nsx $M ip link set xa0 up; nsx $M ip link set xb0 up
nsx $A ip link set ya0 up; nsx $B ip link set yb0 up
nsx $A ip addr add 10.99.0.1/24 dev ya0
nsx $B ip addr add 10.99.0.2/24 dev yb0

start_emulator() {
  local fifo; fifo=$(mktemp -u); mkfifo "$fifo"
  # ip netns exec replaces itself with the emulator, so $! is the emulator.
  ip netns exec $M "$emulator" "$@" >"$fifo" &
  emu_pid=$!
  local line=""
  read -r -t 15 line <"$fifo" || true
  rm -f "$fifo"
  [ "$line" = ready ] || { echo "emulator did not start: $*" >&2; exit 1; }
}
stop_emulator() { kill "$emu_pid"; wait "$emu_pid" || true; emu_pid=""; }

# iperf3 from namespace $1 to address $2 (server in $3); prints receiver bits/s.
tcp_bps() {
  local client=$1 address=$2 server=$3 seconds=${4:-5} result
  # A server that was not listening yet makes iperf3 report an error instead
  # of a result; one more attempt then measures.
  for _ in 1 2; do
    nsx "$server" iperf3 -s -1 -D -p 5201 >/dev/null 2>&1; sleep 0.5
    result=$(nsx "$client" timeout $((seconds + 20)) iperf3 -J -p 5201 -O 2 -t "$seconds" -c "$address" |
      python3 -c 'import json,sys; print(json.load(sys.stdin)["end"]["sum_received"]["bits_per_second"])' 2>/dev/null) &&
      { echo "$result"; return; }
  done
  echo 0
}

# Per-packet RTTs in ms of a ping series from A to $1.
rtts() { nsx $A ping -n -c "${2:-200}" -i 0.01 -W 1 "$1" | sed -n 's/.*time=\([0-9.]*\) ms/\1/p'; }
percentile() { sort -g | awk -v q="$1" '{v[NR]=$1} END {i=int(q*NR+0.5); if(i<1)i=1; if(i>NR)i=NR; print v[i]}'; }
gbps() { awk -v b="$1" 'BEGIN{printf "%.3f\n", b/1e9}'; }
# Offloads off on every veth end: the stack hands over wire-size frames only.
offloads() {
  local state=$1
  for pair in "$A ya0" "$M xa0" "$M xb0" "$B yb0"; do
    set -- $pair
    nsx "$1" ethtool -K "$2" tso "$state" gso "$state" gro "$state" >/dev/null 2>&1
  done
}
# A full-size TCP segment of 1448 payload bytes travels in a 1514-byte frame.
frame_ratio() { awk -v b="$1" -v r="$2" 'BEGIN{printf "%.4f\n", b*1514/1448/r}'; }

# The machines these run on are shared: one transfer's figure may be 40%
# off the next one's. So a figure and its baseline take turns for $rounds
# rounds, and the medians are printed: of each, and of the per-round ratios.
rounds=${NETNS_ROUNDS:-5}
median() { sort -g | awk '{v[NR]=$1} END {if (NR == 0) print 0; else if (NR % 2) print v[(NR+1)/2]; else printf "%.3f\n", (v[NR/2]+v[NR/2+1])/2}'; }
# paired NAME BASELINE_NAME TARGET BASELINE_FN FIGURE_FN: the functions each
# measure one transfer and leave its Gbit/s in $value (not in a subshell, so
# that the exit trap knows the emulator they start).
paired() {
  local name=$1 baseline_name=$2 target=$3 base_fn=$4 figure_fn=$5 base figure bases="" figures="" ratios=""
  for _ in $(seq "$rounds"); do
    $base_fn; base=$value; $figure_fn; figure=$value
    bases+="$base"$'\n'; figures+="$figure"$'\n'
    ratios+="$(awk -v a="$figure" -v b="$base" 'BEGIN{printf "%.3f", (b > 0 ? a / b : 0)}')"$'\n'
  done
  echo "netns.$baseline_name.gbps $(printf '%s' "$bases" | median)"
  echo "netns.$name.gbps $(printf '%s' "$figures" | median)"
  echo "netns.$name.vs_$baseline_name $(printf '%s' "$ratios" | median) (median of $rounds rounds${target:+, target >= $target})"
}
# added_rtt NAME TARGET OPTIONS...: the median ping through an emulator run
# with OPTIONS, less the one without it.
added_rtt() {
  local name=$1 target=$2 rtt
  shift 2
  start_emulator "$@"
  rtt=$(rtts 10.99.0.3 | percentile 0.5)
  stop_emulator
  echo "$name $(awk -v a="$rtt" -v b="$base_rtt" 'BEGIN{printf "%.3f", a-b}')${target:+ (target <= $target)}"
}

# --- normal mode: A talks to M, whose adapter xa0 is emulated
nsx $M ip addr add 10.99.0.3/24 dev xa0
base_rtt=$(rtts 10.99.0.3 | percentile 0.5)
# The same namespaces without the emulator.
direct_once() { value=$(gbps "$(tcp_bps $A 10.99.0.3 $M)"); }
# The kernel's path with wire-size frames, as the emulator's frames are.
kernel_wire_once() { offloads off; direct_once; offloads on; }
# With 100 ms for UDP port 5000 only, the TCP transfer and the pings are
# traffic the rule does not select.
unselected_options=(--adapter xa0 --latency 100 --udp-port 5000)
unselected_once() { start_emulator "${unselected_options[@]}"; direct_once; stop_emulator; }
normal_once() { start_emulator --adapter xa0; direct_once; stop_emulator; }
paired unselected direct 0.9 direct_once unselected_once
added_rtt netns.unselected.rtt_added_ms 0.02 "${unselected_options[@]}"
paired normal kernel_wire 0.4 kernel_wire_once normal_once
added_rtt netns.rtt_added_ms "" --adapter xa0

# A fixed 20 ms on the incoming direction only, so that each ping meets it once.
start_emulator --adapter xa0 --latency 20 --direction in
errors=$(rtts 10.99.0.3 300 | awk -v b="$base_rtt" '{e=$1-b-20; if(e<0)e=-e; print e}')
echo "netns.latency20.p50_err_ms $(echo "$errors" | percentile 0.5)"
echo "netns.latency20.p99_err_ms $(echo "$errors" | percentile 0.99)"
stop_emulator

for rate in 1 10 100; do
  bps=$((rate * 1000000))
  seconds=$([ "$rate" -eq 1 ] && echo 10 || echo 6)
  start_emulator --adapter xa0 --rate "$bps"
  echo "netns.rate${rate}m.ratio $(frame_ratio "$(tcp_bps $A 10.99.0.3 $M "$seconds")" "$bps")"
  stop_emulator
  # tbf on the sender's adapter, the same traffic counted the same way.
  burst=$((bps / 8 / 100 > 3028 ? bps / 8 / 100 : 3028))
  nsx $A tc qdisc add dev ya0 root tbf rate "${rate}mbit" burst "$burst" latency 100ms
  echo "netns.tbf${rate}m.ratio $(frame_ratio "$(tcp_bps $A 10.99.0.3 $M "$seconds")" "$bps")"
  nsx $A tc qdisc del dev ya0 root
done
nsx $M ip addr del 10.99.0.3/24 dev xa0

# --- the kernel's own bridge between the same namespaces and MTU: with the
# senders' GSO super-frames forwarded whole, and with offloads off, so that
# it forwards wire-size frames as the emulator does. Then the emulator's
# bridge mode: A talks to B across M.
across_once() { value=$(gbps "$(tcp_bps $A 10.99.0.2 $B)"); }
kernel_bridge() {
  nsx $M ip link add br0 type bridge
  nsx $M ip link set xa0 master br0; nsx $M ip link set xb0 master br0; nsx $M ip link set br0 up
  sleep 0.5
  across_once
  nsx $M ip link set xa0 nomaster; nsx $M ip link set xb0 nomaster; nsx $M ip link del br0
  sleep 0.5
}
kernel_bridge_wire_once() { offloads off; kernel_bridge; offloads on; }
bridge_once() { start_emulator --adapter xa0 --bridge xa0 xb0; across_once; stop_emulator; }
kernel_bridge
echo "netns.kernel_bridge.gbps $value"
paired bridge kernel_bridge_wire 0.4 kernel_bridge_wire_once bridge_once
