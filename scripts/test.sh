#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright (C) 2026 DP3tools maintainers
#
# Installs what is missing, builds, and runs every test.
#   scripts/test.sh             the whole suite (unit, integration, gui, fuzz replay)
#   scripts/test.sh --sanitize  unit and integration tests under ASan and UBSan
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

if [ "${1:-}" = "--sanitize" ]; then
  scripts/build.sh sanitize
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  ctest --test-dir build-sanitize -L 'unit|integration' --output-on-failure -j 2
else
  scripts/build.sh release
  export QT_QPA_PLATFORM=offscreen
  ctest --test-dir build --output-on-failure -j 2
fi
