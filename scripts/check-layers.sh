#!/usr/bin/env bash
# Checks that the source folders point one way, from the window down to the
# frame path:
#   engine/, capture/, settings/, common/ and filter/ (outside filter/windows/) are plain
#   C++: they include no Qt header and nothing from config/, ui/, app/,
#   widgets/ or a windows/ folder, and their CMake targets link none of those;
#   platform/ includes no window code: no Qt Widgets or Qt GUI header, nothing
#   from ui/, widgets/, app/ or a windows/ folder.
# Prints every offending line and exits 1 when there is one.
set -euo pipefail
cd "$(dirname "$0")/.."

status=0

# sources DIR...: the C and C++ files under DIR, without the filter's windows.
sources() {
  find "$@" -type f \( -name '*.h' -o -name '*.hpp' -o -name '*.c' -o -name '*.cpp' -o -name '*.cc' \) \
    -not -path 'filter/windows/*' | sort
}

# includes FILE...: "file:line:target" for every #include in the files.
includes() {
  [ "$#" -gt 0 ] || return 0
  grep -EHn '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]' "$@" |
    sed -E 's/^([^:]*:[0-9]+):[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]([^>"]*)[>"].*/\1:\2/' || true
}

# refuse RULE: reads "file:line:target" lines and reports each as breaking RULE.
refuse() {
  local rule=$1 hit
  while IFS= read -r hit; do
    echo "$hit    <- $rule"
    status=1
  done
}

# The Qt module folders a header name belongs to, if Qt's headers are installed.
qt_headers=""
for dir in /usr/include/qt6 /usr/include/*/qt6; do
  [ -d "$dir/QtCore" ] && { qt_headers=$dir; break; }
done

# window_qt: reads "file:line:target" lines and keeps the Qt Widgets and Qt
# GUI headers. Without Qt's headers to tell the modules apart, every Qt
# header counts.
window_qt() {
  local hit target name
  while IFS= read -r hit; do
    target=${hit##*:}
    name=${target##*/}
    case "$target" in
      QtWidgets/* | QtGui/*) echo "$hit" ;;
      Q*)
        if [ -z "$qt_headers" ] || [ -e "$qt_headers/QtWidgets/$name" ] || [ -e "$qt_headers/QtGui/$name" ]; then
          echo "$hit"
        fi ;;
    esac
  done
}

mapfile -t core < <(sources engine capture settings common filter)
mapfile -t platform < <(sources platform)
upward=':(config|ui|app|widgets)/|:[^:]*windows/'
qt=':(Q[A-Za-z0-9_]*(/.*|\.h)?|q[a-z0-9_]*\.h)$'

# Each check feeds refuse from a process substitution, so that refuse runs in
# this shell and its status counts.
refuse "plain C++ core includes a layer above it" < <(includes "${core[@]}" | grep -E "$upward")
refuse "plain C++ core includes Qt" < <(includes "${core[@]}" | grep -E "$qt")
refuse "platform includes window code" < <(includes "${platform[@]}" | grep -E "$upward")
refuse "platform includes Qt Widgets or Qt GUI" < <(includes "${platform[@]}" | window_qt)

# The core's CMake targets link nothing of Qt or of the layers above.
for list in engine/CMakeLists.txt capture/CMakeLists.txt settings/CMakeLists.txt common/CMakeLists.txt filter/CMakeLists.txt; do
  [ -f "$list" ] || continue
  refuse "plain C++ core links Qt or a layer above it" < <(grep -EHn 'Qt6::|\bot_(config|ui|app|widgets|filter_ui)' "$list")
done

if [ "$status" -eq 0 ]; then
  echo "include layers: ${#core[@]} core and ${#platform[@]} platform files checked, no violation"
fi
exit "$status"
