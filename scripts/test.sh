#!/usr/bin/env bash
# Sets up the machine, checks the formatting, builds everything and runs every test, then the
# unit tests once more under the sanitizers.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/check-format.sh
scripts/build.sh
QT_QPA_PLATFORM=offscreen ctest --preset default
# The unit tests again under the address and undefined-behaviour sanitizers (build-asan/).
cmake --preset asan-ubsan >/dev/null
cmake --build --preset asan-ubsan -j "$(nproc)"
ctest --preset asan-ubsan
