#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright (C) 2026 DP3tools maintainers
#
# Configures and builds DP3tools: scripts/build.sh [release|sanitize]
set -euo pipefail
cd "$(dirname "$0")/.."

kind=${1:-release}
case "$kind" in
  release)
    dir=build
    args=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DDP3_GUI=ON -DDP3_TESTS=ON -DDP3_BENCH=ON -DDP3_SANITIZE=OFF)
    ;;
  sanitize)
    dir=build-sanitize
    args=(-DCMAKE_BUILD_TYPE=Debug -DDP3_SANITIZE=ON -DDP3_GUI=OFF -DDP3_TESTS=ON -DDP3_BENCH=OFF)
    ;;
  *)
    echo "usage: scripts/build.sh [release|sanitize]" >&2
    exit 1
    ;;
esac

cmake -S . -B "$dir" -G Ninja "${args[@]}" >/dev/null
cmake --build "$dir" -j "$(nproc)"
