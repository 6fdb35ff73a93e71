#!/usr/bin/env bash
# ./fuzz.sh [SECONDS] [NAME...]: builds the libFuzzer targets with clang and
# runs each (or the named ones) for SECONDS (default 60). Fails on any crash.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/packages.sh
ot_ensure_packages "${OT_BUILD_PACKAGES[@]}"
seconds=${1:-60}; shift || true
# The fuzz build compiles the core with sanitizer coverage, so every library
# under test is instrumented, not only the fuzz entry points.
ot_configure build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DOT_WITH_QT=ON -DOT_BENCH=OFF -DOT_FUZZ=ON \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined" \
  -DCMAKE_C_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined"
cmake --build build-fuzz -j "$(nproc)" --target fuzzers
mapfile -t targets < <(find build-fuzz/fuzz -type f -executable -name 'fuzz_*' | sort)
if [ "$#" -gt 0 ]; then
  mapfile -t targets < <(printf '%s\n' "${targets[@]}" | grep -F -f <(printf '/%s\n' "$@"))
fi
[ "${#targets[@]}" -gt 0 ] || { echo "no fuzz targets built" >&2; exit 1; }
status=0
for t in "${targets[@]}"; do
  name=$(basename "$t")
  corpus="build-fuzz/corpus/$name"
  mkdir -p "$corpus"
  seeds=()
  [ -d "fuzz/seeds/$name" ] && seeds=("fuzz/seeds/$name")
  echo "-- $name for ${seconds}s"
  if ! "$t" -max_total_time="$seconds" -print_final_stats=0 -artifact_prefix="build-fuzz/$name-" \
      "$corpus" "${seeds[@]}" > "build-fuzz/$name.log" 2>&1; then
    tail -n 40 "build-fuzz/$name.log"
    echo "FAILED: $name" >&2
    status=1
  else
    grep -E '^#[0-9]+.*(DONE|pulse)' "build-fuzz/$name.log" | tail -n 1 || true
  fi
done
exit $status
