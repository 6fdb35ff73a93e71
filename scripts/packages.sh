# Sourced by run.sh, test.sh and bench.sh: installs the Debian packages the
# project needs, asking apt only for those that are missing.

OT_BUILD_PACKAGES=(cmake ninja-build g++ clang pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev
  libbpf-dev linux-libc-dev)
# Real peers and tools the tests and benchmarks drive.
OT_TOOL_PACKAGES=(iproute2 iputils-ping iperf3 tshark procps python3 ethtool)
# Building the Debian package (dpkg-shlibdeps and dpkg-buildflags, file for
# CPack's look at the binaries), and checking it.
OT_PACKAGE_PACKAGES=(dpkg-dev file)
OT_PACKAGE_CHECK_PACKAGES=(lintian desktop-file-utils appstream)

ot_missing_packages() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || echo "$p"
  done
}

ot_ensure_packages() {
  local missing
  missing=$(ot_missing_packages "$@")
  [ -z "$missing" ] && return 0
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "Installing: $missing" >&2
  $sudo apt-get update -qq
  # shellcheck disable=SC2086
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $missing >&2
}

# ot_configure DIR [cmake options...]: configures DIR once, then only builds.
# With ccache on the machine, compiles go through it, so that a rebuild in
# a fresh tree costs little.
ot_configure() {
  local dir=$1; shift
  local launcher=()
  if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  fi
  if [ ! -f "$dir/build.ninja" ]; then
    cmake -S . -B "$dir" -G Ninja "${launcher[@]}" "$@"
  fi
}
