#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright (C) 2026 DP3tools maintainers
#
# The Qt window as a screen reader reads it: dp3tools on its simulated keyer
# under a virtual X display with its own session and accessibility bus, read
# by atspi_names.py (Debian: xvfb, dbus, at-spi2-core, python3-pyatspi).
#   tests/a11y/atspi-test.sh [DP3TOOLS]      (exit 77: a tool is missing)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
program=${1:-build/ui/dp3tools}
if [ "${2:-}" != --inside ]; then
  for tool in xvfb-run dbus-run-session /usr/libexec/at-spi-bus-launcher; do
    command -v "$tool" >/dev/null || { echo "atspi-test: $tool missing" >&2; exit 77; }
  done
  /usr/bin/python3 -c 'import pyatspi' 2>/dev/null ||
    { echo "atspi-test: python3-pyatspi missing" >&2; exit 77; }
  exec xvfb-run --auto-servernum --server-args="-screen 0 1280x1024x24" \
    dbus-run-session -- "$0" "$program" --inside
fi
config=$(mktemp -d)
app=
/usr/libexec/at-spi-bus-launcher --launch-immediately &
bus=$!
trap 'kill $app $bus 2>/dev/null || true; rm -rf "$config"' EXIT
sleep 1
XDG_CONFIG_HOME="$config" QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 \
  QT_ACCESSIBILITY=1 "$program" --simulate &
app=$!
/usr/bin/python3 "$here/atspi_names.py" dp3tools
