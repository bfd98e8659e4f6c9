#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright (C) 2026 DP3tools maintainers
#
# Configures and builds DP3tools: scripts/build.sh [release|sanitize|tsan] [TARGET...]
#   release   build/          everything
#   sanitize  build-sanitize/ ASan and UBSan, the window included
#   tsan      build-tsan/     ThreadSanitizer, the window included
# With targets, only those (and what they need) are built.
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
    args=(-DCMAKE_BUILD_TYPE=Debug -DDP3_SANITIZE=ON -DDP3_GUI=ON -DDP3_TESTS=ON -DDP3_BENCH=OFF)
    ;;
  tsan)
    dir=build-tsan
    args=(-DCMAKE_BUILD_TYPE=Debug -DDP3_TSAN=ON -DDP3_GUI=ON -DDP3_TESTS=ON -DDP3_BENCH=OFF)
    ;;
  *)
    echo "usage: scripts/build.sh [release|sanitize|tsan] [TARGET...]" >&2
    exit 1
    ;;
esac
shift $(($# > 0 ? 1 : 0))
targets=()
[ $# -eq 0 ] || targets=(--target "$@")

cmake -S . -B "$dir" -G Ninja "${args[@]}" >/dev/null
cmake --build "$dir" -j "$(nproc)" "${targets[@]}"
