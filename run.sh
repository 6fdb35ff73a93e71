#!/usr/bin/env bash
# Installs what is missing, builds, and starts Ovelda Tarnwick.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/packages.sh
ot_ensure_packages "${OT_BUILD_PACKAGES[@]}"
ot_configure build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)" --target ovelda-tarnwick
if [ $# -eq 0 ] && [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  # No display and nothing asked for: a short demonstration on in-process lab
  # adapters with steady traffic, under a lossy 3G preset.
  echo "No display: a 5-second headless run on the lab adapter \"lab0\" with the preset \"3G, lossy conditions\"." >&2
  exec build/app/ovelda-tarnwick --headless --driver lab --preset "3G, lossy conditions" /runtime:5
fi
# Intercepting real adapters needs root (or the capabilities); without them
# the program runs on the in-process lab adapters rather than refusing to start.
if [ "$(id -u)" -ne 0 ] && [[ " $* " != *" --driver "* ]]; then
  echo "Not running as root: using the lab adapters (--driver lab). Run as root for real adapters." >&2
  set -- --driver lab "$@"
fi
exec build/app/ovelda-tarnwick "$@"
