#!/usr/bin/env bash
# Makes the Debian package of a build and has lintian judge it: no error may be reported.
# Usage: package_test.sh BUILD_DIR
set -uo pipefail
build=$1
command -v lintian >/dev/null || { echo "lintian is not installed"; exit 77; }
work=$(mktemp -d "${TMPDIR:-/tmp}/navlor-package.XXXXXX")
trap 'rm -rf "$work"' EXIT
(cd "$build" && cpack -G DEB -B "$work" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log" >&2; exit 1; }
deb=$(ls "$work"/navlor_*.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || { echo "FAIL: no package was made" >&2; exit 1; }
dpkg-deb --contents "$deb" | grep -q '/usr/bin/navlor-netlog$' &&
    { echo "FAIL: the sample's network logger is in the package" >&2; exit 1; }
lintian --fail-on error --suppress-tags binary-has-unneeded-section "$deb" 2>&1 |
    grep -v 'running with root privileges'
status=${PIPESTATUS[0]}
[ "$status" -eq 0 ] || { echo "FAIL: lintian reports errors" >&2; exit 1; }
echo "package passes lintian"
