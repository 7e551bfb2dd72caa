#!/usr/bin/env bash
# Configures and builds the project in build/ (Ninja, release with debug info).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)"
