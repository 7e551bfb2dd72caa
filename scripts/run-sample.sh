#!/usr/bin/env bash
# Sets up the machine, builds the program, creates the sample installation in a fresh prefix
# and starts the program on it: in a real window where a display exists, else under xvfb-run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh

prefix=${NAVLOR_PREFIX:-$PWD/build/sample-prefix}
rm -rf "$prefix"
scripts/make-sample.sh "$prefix" build/app
export NAVLOR_PREFIX="$prefix"

exe="$prefix/dosdevices/c:/VALDOROW/NAVLOR.EXE"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  "$exe" "$@"
else
  # Without a display the window lives on a virtual one; the start-up pass ends the program by
  # itself, a bounded wait keeps a run with "/N" from waiting forever.
  echo "no display: running under xvfb-run"
  status=0
  timeout "${NAVLOR_RUN_SECONDS:-60}" xvfb-run -a "$exe" "$@" || status=$?
  [ "$status" -eq 124 ] && echo "the program was still open after ${NAVLOR_RUN_SECONDS:-60} s and was closed"
fi
