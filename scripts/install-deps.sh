#!/usr/bin/env bash
# Installs the Debian packages DP3tools needs to build, test and run.
#   scripts/install-deps.sh            the Linux build
#   scripts/install-deps.sh --windows  also the Windows cross-build and wine
#   scripts/install-deps.sh --web      also the WebAssembly build, Chromium and the
#                                      browser tests' npm packages (tests/web/)
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
case "${1:-}" in
  --windows)
    # mingw-w64 with posix threads (std::thread), GoogleTest's sources, wine.
    packages+=(g++-mingw-w64-x86-64-posix googletest wine64)
    ;;
  --web)
    # Emscripten (it runs on node-acorn), GoogleTest's sources for the wasm unit
    # tests, Debian's Chromium for the browser tests (never a downloaded
    # browser), npm for playwright-core and ws.
    packages+=(emscripten node-acorn chromium googletest)
    command -v npm >/dev/null || packages+=(npm)
    ;;
esac

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

if [ "${1:-}" = "--web" ]; then
  # The versions package-lock.json records; nothing to do when they are there.
  web_tests="$(cd "$(dirname "$0")/../tests/web" && pwd)"
  if ! (cd "$web_tests" && npm ls --silent >/dev/null 2>&1); then
    (cd "$web_tests" && PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --no-audit --no-fund)
  fi
fi
