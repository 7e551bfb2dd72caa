#!/usr/bin/env bash
# Installs every Debian package the project needs; packages already present are skipped.
set -euo pipefail

PACKAGES=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6printsupport6 libgl-dev
  libjpeg62-turbo-dev zlib1g-dev
  firebird3.0-server firebird3.0-utils pxlib-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  arj xvfb xauth xdg-utils xdotool dbus-daemon
  clang libclang-rt-14-dev clang-format
  poppler-utils fontconfig fonts-dejavu-core
  qt6-translations-l10n lintian
)

# One query for all of them: a query and a grep per package cost half a second every run.
installed=$'\n'$(dpkg-query -W -f='${Package} ${Status}\n' "${PACKAGES[@]}" 2>/dev/null || true)$'\n'
missing=()
for p in "${PACKAGES[@]}"; do
  if [[ "$installed" != *$'\n'"$p install ok installed"$'\n'* ]]; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "setup: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then SUDO="sudo"; else
    echo "setup: need root or sudo to install: ${missing[*]}" >&2
    exit 1
  fi
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
