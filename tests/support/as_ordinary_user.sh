#!/usr/bin/env bash
# Runs a test program as an ordinary user (nobody) when started as root, for the tests that
# skip themselves under an administrator; exits 77 (skipped) when there is no way to switch.
# Usage: as_ordinary_user.sh PROGRAM [ARGS...]
set -uo pipefail
if [ "$(id -u)" -ne 0 ]; then
  exec "$@"
fi
command -v setpriv >/dev/null || { echo "setpriv is missing"; exit 77; }
scratch=$(mktemp -d "${TMPDIR:-/tmp}/navlor-user.XXXXXX")
chmod 0777 "$scratch"
trap 'rm -rf "$scratch"' EXIT
# Skipped tests must count as failures here: the point is that they run.
output=$(setpriv --reuid=65534 --regid=65534 --clear-groups \
  env HOME="$scratch" TMPDIR="$scratch" XDG_RUNTIME_DIR="$scratch" QT_QPA_PLATFORM=offscreen "$@" 2>&1)
status=$?
echo "$output"
[ "$status" -eq 0 ] || exit "$status"
if echo "$output" | grep -q '\[  SKIPPED \]'; then
  echo "FAIL: a test skipped itself even as an ordinary user" >&2
  exit 1
fi
