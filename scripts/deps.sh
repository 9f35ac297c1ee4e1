#!/usr/bin/env bash
# Installs the Debian packages the project needs, when they are missing.
# Usage: scripts/deps.sh [--packaging] [extra-package ...]
#   --packaging: also what building and checking the .deb needs (scripts/package.sh)
set -euo pipefail

packaging=()
if [ "${1:-}" = --packaging ]; then
  shift
  # dpkg-shlibdeps and the library list (file), the icon's PNG sizes, and the checks.
  packaging=(dpkg-dev file librsvg2-bin lintian desktop-file-utils appstream man-db)
fi

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libftdi1-dev libusb-1.0-0-dev
  libxrl-dev
  fonts-dejavu-core
  "${packaging[@]}"
  "$@"
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
as_root=()
[ "$(id -u)" -ne 0 ] && as_root=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
