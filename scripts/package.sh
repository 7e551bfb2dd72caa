#!/usr/bin/env bash
# Builds the project and makes the Debian package in the build directory:
#   scripts/package.sh [BUILD_DIR]   (default build/, the default preset)
# The package is BUILD_DIR/navlor_<version>_<arch>.deb; nothing is installed on this machine.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ $# -gt 0 ]; then
  build=$1
  cmake -S . -B "$build" -G Ninja >/dev/null
  cmake --build "$build" -j "$(nproc)"
else
  build=build
  scripts/build.sh
fi
cd "$build"
rm -f navlor_*.deb
cpack -G DEB
deb=$(echo navlor_*.deb)
dpkg-deb --info "$deb"
dpkg-deb --contents "$deb"
echo "package: $build/$deb"
