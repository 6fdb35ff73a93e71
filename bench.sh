#!/usr/bin/env bash
# ./bench.sh GROUP: builds and runs one group of benchmarks, printing one
# "name value" line per figure (baselines are printed beside what they compare).
#   engine  frame path, impairments, filter, capture writer
#   netns   real traffic through the Linux driver in network namespaces (root)
#   ui      painting of the graph and the effect chart
set -euo pipefail
cd "$(dirname "$0")"
source scripts/packages.sh
group=${1:-engine}
ot_ensure_packages "${OT_BUILD_PACKAGES[@]}"
ot_configure build-bench -DCMAKE_BUILD_TYPE=Release
cmake --build build-bench -j "$(nproc)"
case "$group" in
  engine)
    build-bench/bench/engine/ot_bench_engine
    [ -x build-bench/bench/capture/ot_bench_capture ] && build-bench/bench/capture/ot_bench_capture
    ;;
  netns)
    ot_ensure_packages "${OT_TOOL_PACKAGES[@]}"
    exec bench/netns/bench_netns.sh build-bench
    ;;
  ui)
    exec build-bench/bench/ui/ot_bench_ui
    ;;
  *) echo "unknown benchmark group: $group (engine, netns, ui)" >&2; exit 2 ;;
esac
