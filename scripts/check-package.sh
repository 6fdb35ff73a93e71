#!/usr/bin/env bash
# Checks a built Debian package: lintian finds no errors, the desktop entry
# and the AppStream file validate, the package holds every file of an
# installation with the right modes, and it depends on the Qt and libbpf
# runtime libraries. Reports every failure, then exits non-zero if any.
#   scripts/check-package.sh build-package/ovelda-tarnwick_1.0.0-1_amd64.deb
set -euo pipefail
deb=${1:?usage: scripts/check-package.sh PATH.deb}
[ -f "$deb" ] || { echo "no such package: $deb" >&2; exit 2; }
source_root=$(cd "$(dirname "$0")/.." && pwd)
source "$source_root/scripts/packages.sh"
ot_ensure_packages "${OT_PACKAGE_PACKAGES[@]}" "${OT_PACKAGE_CHECK_PACKAGES[@]}"
app_id=org.ovelda.Tarnwick
helper=./usr/libexec/ovelda-tarnwick/ovelda-tarnwick-helper

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
dpkg-deb -x "$deb" "$work/root"
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

echo "== lintian"
# Warnings are shown; errors fail the check.
lintian --fail-on error --tag-display-limit 0 "$deb" || fail "lintian reports errors"

echo "== desktop entry"
desktop=$work/root/usr/share/applications/$app_id.desktop
if [ -f "$desktop" ]; then
  desktop-file-validate "$desktop" || fail "desktop-file-validate rejects $app_id.desktop"
fi

echo "== AppStream"
metainfo=$work/root/usr/share/metainfo/$app_id.metainfo.xml
if [ -f "$metainfo" ]; then
  appstreamcli validate --no-net "$metainfo" || fail "appstreamcli rejects $app_id.metainfo.xml"
fi

echo "== contents"
# "mode path" of every entry, as dpkg-deb -c lists them.
dpkg-deb -c "$deb" | awk '{ print $1, $6 }' >"$work/contents"
expect() {
  local mode=$1 path=$2
  local listed
  listed=$(awk -v p="$path" '$2 == p { print $1 }' "$work/contents")
  if [ -z "$listed" ]; then
    fail "the package lacks $path"
  elif [ "$listed" != "$mode" ]; then
    fail "$path has mode $listed, not $mode"
  fi
}
expect -rwxr-xr-x ./usr/bin/ovelda-tarnwick
expect -rw-r--r-- ./usr/share/applications/$app_id.desktop
expect -rw-r--r-- ./usr/share/metainfo/$app_id.metainfo.xml
expect -rw-r--r-- ./usr/share/icons/hicolor/scalable/apps/$app_id.svg
expect -rw-r--r-- ./usr/share/man/man1/ovelda-tarnwick.1.gz
expect -rw-r--r-- ./usr/share/doc/ovelda-tarnwick/manual.html
expect -rw-r--r-- ./usr/share/doc/ovelda-tarnwick/copyright
expect -rw-r--r-- ./usr/share/doc/ovelda-tarnwick/changelog.Debian.gz
# The helper is part of every package built from a tree that builds it.
if grep -rqsE --include=CMakeLists.txt --exclude-dir='build*' --exclude-dir=.git \
  'add_executable\([[:space:]]*ovelda-tarnwick-helper([[:space:]]|\))' "$source_root"; then
  expect -rwxr-x--- "$helper"
else
  echo "this source tree builds no ovelda-tarnwick-helper: not looked for"
fi
gzip -t "$work/root/usr/share/man/man1/ovelda-tarnwick.1.gz" 2>/dev/null || fail "the manual page is not gzip data"

echo "== control"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for library in libqt6core6 libqt6gui6 libqt6widgets6 libqt6svg6 libbpf1 qt6-qpa-plugins libcap2-bin; do
  [[ ", $depends," == *", $library"[\ ,]* ]] || fail "Depends lacks $library"
done
dpkg-deb -e "$deb" "$work/control"
for script in postinst postrm; do
  [ -x "$work/control/$script" ] || fail "the package has no executable $script"
done
grep -q 'setcap cap_net_admin,cap_net_raw,cap_bpf+ep' "$work/control/postinst" 2>/dev/null ||
  fail "postinst does not give the helper its capabilities"

if [ "$failures" -ne 0 ]; then
  echo "$failures package check(s) failed" >&2
  exit 1
fi
echo "package checks passed: $deb"
