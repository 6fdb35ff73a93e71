#!/usr/bin/env bash
# Installs what is missing, checks that the source folders include only the
# layers below them, builds everything, and runs every test: the main
# build, the core under ThreadSanitizer and under AddressSanitizer with
# UndefinedBehaviorSanitizer, and a short run of every fuzzer.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/packages.sh
ot_ensure_packages "${OT_BUILD_PACKAGES[@]}" "${OT_TOOL_PACKAGES[@]}"

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

echo "== include layers"
scripts/check-layers.sh

echo "== main build"
ot_configure build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

echo "== ThreadSanitizer build of the core"
ot_configure build-tsan -DCMAKE_BUILD_TYPE=Debug -DOT_WITH_QT=OFF -DOT_BENCH=OFF -DOT_SANITIZE=thread
cmake --build build-tsan -j "$jobs"
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
  ctest --test-dir build-tsan --output-on-failure -j "$jobs" -LE netns

echo "== AddressSanitizer + UndefinedBehaviorSanitizer build of the core"
ot_configure build-asan -DCMAKE_BUILD_TYPE=Debug -DOT_WITH_QT=OFF -DOT_BENCH=OFF -DOT_SANITIZE=address,undefined
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS="detect_leaks=1" UBSAN_OPTIONS="print_stacktrace=1" \
  ctest --test-dir build-asan --output-on-failure -j "$jobs" -LE netns

if [ -f fuzz/CMakeLists.txt ]; then
  echo "== fuzzers"
  ./fuzz.sh "${OT_FUZZ_SECONDS:-20}"
fi

echo "== package"
ot_ensure_packages "${OT_PACKAGE_PACKAGES[@]}" "${OT_PACKAGE_CHECK_PACKAGES[@]}"
deb=$(./package.sh | tail -n 1)
scripts/check-package.sh "$deb"
