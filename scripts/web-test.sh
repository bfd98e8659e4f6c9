#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright (C) 2026 DP3tools maintainers
#
# Builds the page and runs its tests: the web link's unit tests as WebAssembly
# under node, then the page end to end in Debian's headless Chromium against
# dp3 sim (the native dp3 is built for it) and the simulated keyer in the page.
#   scripts/web-test.sh          build and test, each stage timed
#   scripts/web-test.sh --bench  also the page bench (bench/web/page_bench.js)
set -euo pipefail
cd "$(dirname "$0")/.."

stage() {  # stage NAME COMMAND...: runs it and prints its time
  local name=$1 start=$SECONDS
  shift
  "$@"
  echo "== $name: $((SECONDS - start)) s"
}

stage "dependencies" scripts/install-deps.sh --web
[ -f build-web/build.ninja ] || stage "configure web" nice -n 10 cmake --preset web >/dev/null
stage "build web" nice -n 10 cmake --build build-web
[ -f build/build.ninja ] || stage "configure native" nice -n 10 cmake --preset default >/dev/null
stage "build dp3" nice -n 10 cmake --build build --target dp3
stage "web unit tests" ctest --test-dir build-web --output-on-failure
stage "browser tests" node --test tests/web/e2e.js
if [ "${1:-}" = "--bench" ]; then
  stage "page bench" node bench/web/page_bench.js
fi
