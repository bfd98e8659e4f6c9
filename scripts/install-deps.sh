#!/usr/bin/env bash
# Installs the Debian packages DP3tools needs to build, test and run.
#   scripts/install-deps.sh            the Linux build
#   scripts/install-deps.sh --windows  also the Windows cross-build and wine
# Safe to run again: does nothing when everything is there.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libcli11-dev nlohmann-json3-dev
  qt6-base-dev qt6-base-dev-tools qt6-tools-dev qt6-tools-dev-tools qt6-multimedia-dev libgl-dev
  fonts-dejavu-core xvfb xauth
  gputils python3
  dpkg-dev file zip unzip man-db
)
if [ "${1:-}" = "--windows" ]; then
  # mingw-w64 with posix threads (std::thread), GoogleTest's sources, wine.
  packages+=(g++-mingw-w64-x86-64-posix googletest wine64)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
