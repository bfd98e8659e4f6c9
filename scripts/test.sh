#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright (C) 2026 DP3tools maintainers
#
# Installs what is missing, builds, and runs every test.
#   scripts/test.sh             the whole suite (unit, integration, gui, fuzz replay)
#   scripts/test.sh --sanitize  unit, integration and window tests under ASan and UBSan
#   scripts/test.sh --tsan      window tests (and the threads they start) under ThreadSanitizer
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

export QT_QPA_PLATFORM=offscreen
case "${1:-}" in
  --sanitize)
    scripts/build.sh sanitize unit_tests integration_tests gui_tests
    export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
    # The screen reader's view of the window is read in the plain build: it
    # runs the dp3tools program, which the sanitized runs do not build.
    ctest --test-dir build-sanitize -L 'unit|integration|gui' -E '^gui_atspi_names$' \
      --output-on-failure -j 2
    ;;
  --tsan)
    # The window tests: every thread the program starts (keyer commands, Find
    # Keyer's probe of each port, the upload) runs under them.
    scripts/build.sh tsan gui_tests
    # Debian's Qt and PulseAudio are not built with the sanitizer: accesses made
    # inside them are not checked (ours, called from them, still are).
    # die_after_fork=0: a window test starts a copy of itself (QProcess); the
    # sanitizer would stop the test at the next thread it starts after that.
    export TSAN_OPTIONS="halt_on_error=1 die_after_fork=0 ignore_noninstrumented_modules=1"
    # The sound test measures the event loop's pace, which the sanitizer's own
    # pace decides; its samples are pulled on the window thread. The screen
    # reader's view starts no thread of ours.
    ctest --test-dir build-tsan -L gui -E '^(gui_message_sound_test|gui_atspi_names)$' \
      --output-on-failure -j 2
    ;;
  "")
    scripts/build.sh release
    ctest --test-dir build --output-on-failure -j 2
    ;;
  *)
    echo "usage: scripts/test.sh [--sanitize|--tsan]" >&2
    exit 1
    ;;
esac
