#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright (C) 2026 DP3tools maintainers
#
# Installs the Debian packages DP3tools needs to build, test and run.
#   scripts/install-deps.sh            the Linux build
#   scripts/install-deps.sh --windows  also the Windows cross-build and wine
#   scripts/install-deps.sh --arm64    also the arm64 cross-build (Debian's aarch64
#                                      toolchain, the arm64 libraries beside the
#                                      host's, multiarch) and qemu-aarch64
#   scripts/install-deps.sh --package  also what makes and checks the packages:
#                                      lintian, AppStream, NSIS, mmdebstrap
#   scripts/install-deps.sh --web      also the WebAssembly build, Chromium and the
#                                      browser tests' npm packages (tests/web/)
# Options combine. Safe to run again: does nothing when everything is there.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libcli11-dev nlohmann-json3-dev
  qt6-base-dev qt6-base-dev-tools qt6-tools-dev qt6-tools-dev-tools qt6-multimedia-dev libgl-dev
  fonts-dejavu-core xvfb xauth
  dbus at-spi2-core python3-pyatspi
  gputils python3
  dpkg-dev file zip unzip man-db
)
architecture=
web=
for option in "$@"; do
  case "$option" in
    # mingw-w64 with posix threads (std::thread), GoogleTest's sources, wine.
    --windows) packages+=(g++-mingw-w64-x86-64-posix googletest wine64) ;;
    --arm64)
      architecture=arm64
      packages+=(g++-aarch64-linux-gnu qemu-user libc6:arm64
        qt6-base-dev:arm64 qt6-multimedia-dev:arm64 libgl-dev:arm64
        libgtest-dev:arm64 libgmock-dev:arm64)
      ;;
    # icoutils reads the Windows programs' icon and version blocks.
    --package) packages+=(lintian appstream desktop-file-utils mmdebstrap nsis icoutils) ;;
    # Emscripten (it runs on node-acorn), GoogleTest's sources for the wasm unit
    # tests, Debian's Chromium for the browser tests (never a downloaded
    # browser), npm for playwright-core and ws.
    --web)
      web=1
      packages+=(emscripten node-acorn chromium googletest)
      command -v npm >/dev/null || packages+=(npm)
      ;;
    *)
      echo "usage: scripts/install-deps.sh [--windows] [--arm64] [--package] [--web]" >&2
      exit 1
      ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  if [ -n "$architecture" ] && ! dpkg --print-foreign-architectures | grep -qx "$architecture"; then
    $sudo dpkg --add-architecture "$architecture"
  fi
  # Other builds on this machine may be installing too: wait for them.
  apt=(apt-get -o DPkg::Lock::Timeout=600)
  $sudo "${apt[@]}" update -qq
  $sudo "${apt[@]}" install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

if [ -n "$web" ]; then
  # The versions package-lock.json records; nothing to do when they are there.
  web_tests="$(cd "$(dirname "$0")/../tests/web" && pwd)"
  if ! (cd "$web_tests" && npm ls --silent >/dev/null 2>&1); then
    (cd "$web_tests" && PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --no-audit --no-fund)
  fi
fi
