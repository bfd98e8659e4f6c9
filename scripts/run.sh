#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright (C) 2026 DP3tools maintainers
#
# Installs what is missing, builds, and runs DP3tools on the simulated keyer:
# the window where there is a display, else a tour of the dp3 command line.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
scripts/build.sh release >/dev/null

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x build/ui/dp3tools ]; then
  exec build/ui/dp3tools --simulate
fi
exec scripts/tour.sh
