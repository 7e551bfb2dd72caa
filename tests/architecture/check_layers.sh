#!/usr/bin/env bash
# The dependencies point one way: lib/platform <- lib <- backup, archive, tools <- app, and the
# stand-in programs in compat/ use lib only. Fails on any include that points the other way,
# on any mention of the POSIX backend outside lib/platform, its tests and the benchmarks, and
# on a Qt class declared ahead in the QtCore folders (lib/ but lib/widgets, compat/).
# Usage: check_layers.sh SOURCE_DIR
set -uo pipefail
cd "${1:?usage: check_layers.sh SOURCE_DIR}" || exit 1

failures=0
# folder, then the include prefixes it may use (besides its own)
check() {
  local folder=$1
  shift
  local allowed="$folder/"
  for prefix in "$@"; do allowed="$allowed|$prefix/"; done
  while IFS= read -r line; do
    local file=${line%%:*}
    local included
    included=$(sed -E 's/.*#include "([^"]+)".*/\1/' <<<"${line#*:}")
    case "$included" in
      ui_*.h | maker_contact.h) continue ;; # generated beside the folder's own sources
    esac
    if ! grep -qE "^($allowed)" <<<"$included"; then
      echo "layers: $file includes $included" >&2
      failures=$((failures + 1))
    fi
  done < <(grep -rnE --include='*.cpp' --include='*.h' '^#include "' "$folder" |
    sed -E 's/^([^:]+):[0-9]+:/\1:/' | grep -vE "^${EXCLUDE:-^$}")
}

# lib may use its platform folder, which uses nothing above it.
check lib/platform
EXCLUDE=lib/platform/ check lib
check backup lib
check archive lib
check tools lib
check compat lib
check app lib backup archive tools

posix=$(grep -rlE 'PosixPlatform|posix_platform\.h' --include='*.cpp' --include='*.h' \
          app lib backup archive tools compat | grep -v '^lib/platform/' || true)
if [ -n "$posix" ]; then
  echo "layers: the POSIX backend is named outside lib/platform: $posix" >&2
  failures=$((failures + 1))
fi

# The QtCore folders declare no Qt class ahead: one of Qt Widgets or GUI would pass the build's
# guard against their headers (cmake/core_layers.cmake), and one of QtCore is as cheap included.
declared=$(grep -rnE '^class Q[A-Za-z0-9_]*;' --include='*.h' --include='*.cpp' lib compat |
             grep -v '^lib/widgets/' || true)
if [ -n "$declared" ]; then
  echo "layers: a QtCore folder declares a Qt class: $declared" >&2
  failures=$((failures + 1))
fi

[ "$failures" -eq 0 ] || { echo "layers: $failures problem(s)" >&2; exit 1; }
echo "layers: every include points down"
