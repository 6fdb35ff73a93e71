#!/usr/bin/env bash
# Builds the Debian package of Ovelda Tarnwick with CPack in build-package (a
# Release build with Debian's hardening flags) and prints the path of the
# .deb as its last line; everything else goes to standard error.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/packages.sh
ot_ensure_packages "${OT_BUILD_PACKAGES[@]}" "${OT_PACKAGE_PACKAGES[@]}"

dir=build-package
launchers=()
if command -v ccache >/dev/null; then
  launchers=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
# Stack protector, fortified functions, read-only relocations bound at load
# time; no debug information, which the package strips anyway.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
export DEB_CFLAGS_MAINT_STRIP=-g DEB_CXXFLAGS_MAINT_STRIP=-g
cppflags=$(dpkg-buildflags --get CPPFLAGS)
# The package build makes only what the package holds (target
# ot_package_contents), so installing must not build everything first.
ot_configure "$dir" -DCMAKE_BUILD_TYPE=Release -DOT_BENCH=OFF -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON \
  "${launchers[@]}" \
  -DCMAKE_C_FLAGS="$cppflags $(dpkg-buildflags --get CFLAGS)" \
  -DCMAKE_CXX_FLAGS="$cppflags $(dpkg-buildflags --get CXXFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >&2
cmake --build "$dir" -j "$(nproc)" --target ot_package_contents >&2

# The package lands beside this script, where the README's
# "sudo apt install ./ovelda-tarnwick_*.deb" finds it; older ones go first.
rm -f "$dir"/ovelda-tarnwick_*.deb ovelda-tarnwick_*.deb
(cd "$dir" && cpack -G DEB) >&2
debs=("$dir"/ovelda-tarnwick_*.deb)
if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then
  echo "CPack made no package in $dir" >&2
  exit 1
fi
mv "${debs[0]}" .
echo "$PWD/$(basename "${debs[0]}")"
