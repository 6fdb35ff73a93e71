#!/usr/bin/env bash
# Installs what is missing, builds, and starts Ovelda Tarnwick.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/packages.sh
ot_ensure_packages "${OT_BUILD_PACKAGES[@]}"
ot_configure build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)" --target ovelda-tarnwick ovelda-tarnwick-helper
if [ $# -eq 0 ] && [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  # No display and nothing asked for: a short demonstration on in-process lab
  # adapters with steady traffic, under a lossy 3G preset.
  echo "No display: a 5-second headless run on the lab adapter \"lab0\" with the preset \"3G, lossy conditions\"." >&2
  exec build/app/ovelda-tarnwick --headless --driver lab --preset "3G, lossy conditions" /runtime:5
fi
# Real adapters: as root the program intercepts them itself; anyone else
# needs the helper with its group and capabilities, which a rebuild of the
# helper takes away again. Until then the program runs on the in-process lab
# adapters rather than refusing to start.
helper=build/libexec/ovelda-tarnwick/ovelda-tarnwick-helper
group=ovelda-tarnwick
helper_ready() {
  [ "$(stat -c %G "$helper" 2>/dev/null)" = "$group" ] && id -nG | tr ' ' '\n' | grep -qx "$group" || return 1
  [ ! -x /usr/sbin/getcap ] || /usr/sbin/getcap "$helper" | grep -q cap_bpf
}
if [ "$(id -u)" -ne 0 ] && [[ " $* " != *" --driver "* ]] && ! helper_ready; then
  here=$(pwd)
  cat >&2 <<EOT
Not running as root and the build tree's helper is not set up: using the lab adapters (--driver lab).
For real adapters, give the helper its group and capabilities once (again after it is rebuilt):
  sudo sh -c 'groupadd -f $group && usermod -aG $group $(id -un) && chown root:$group $here/$helper && chmod 0750 $here/$helper && setcap cap_net_admin,cap_net_raw,cap_bpf+ep $here/$helper'
then log in again so that the group counts. Or install the package (README, "Install").
EOT
  set -- --driver lab "$@"
fi
exec build/app/ovelda-tarnwick "$@"
