#!/usr/bin/env bash
# Installs what is missing, builds, and starts Ovelda Tarnwick.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/packages.sh
ot_ensure_packages "${OT_BUILD_PACKAGES[@]}"
ot_configure build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)" --target ovelda-tarnwick-demo
exec build/app/ovelda-tarnwick-demo "$@"
