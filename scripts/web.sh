#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright (C) 2026 DP3tools maintainers
#
# Builds the page (the core as WebAssembly, cmake --preset web) and serves it
# on this machine only.
#   scripts/web.sh [PORT]    http://127.0.0.1:PORT/ (default 8080)
# Web Serial needs a secure context: localhost is one; served from elsewhere,
# the page needs HTTPS.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh --web
[ -f build-web/build.ninja ] || nice -n 10 cmake --preset web >/dev/null
nice -n 10 cmake --build build-web --target dp3web web_files

port=${1:-8080}
echo "DP3tools page: http://127.0.0.1:$port/ (Chrome, Edge or Opera for a keyer on a serial port)"
exec python3 -m http.server "$port" --bind 127.0.0.1 --directory build-web/site
