#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright (C) 2026 DP3tools maintainers
#
# Pictures of the five windows, taken under a virtual X display:
#   scripts/screenshots.sh [OUTPUT_DIR]     (default docs/screenshots)
# Starts dp3tools on its simulated keyer, reads it, and writes
# main_window.png, port_window.png (after Find Keyer), uploader_window.png,
# about_window.png and rtty_window.png; then main_window_150.png and
# main_window_200.png, the main window at 150% and 200% scale on a 1280x800
# screen, its status lines and commands in view below the scrolled form.
set -euo pipefail
cd "$(dirname "$0")/.."

out=${1:-docs/screenshots}
program=${DP3TOOLS:-build/ui/dp3tools}
if [ ! -x "$program" ]; then
  echo "screenshots: $program not built (scripts/build.sh)" >&2
  exit 1
fi
if ! command -v xvfb-run >/dev/null; then
  echo "screenshots: xvfb-run missing (apt-get install xvfb)" >&2
  exit 1
fi
mkdir -p "$out"
# A scratch configuration, so the operator's chosen port is left alone.
config=$(mktemp -d)
trap 'rm -rf "$config"' EXIT
XDG_CONFIG_HOME="$config" QT_QPA_PLATFORM=xcb \
  xvfb-run --auto-servernum --server-args="-screen 0 1280x1024x24" \
  "$program" --simulate --screenshots "$out"
scaled=$(mktemp -d)
trap 'rm -rf "$config" "$scaled"' EXIT
for scale in 150 200; do
  rm -rf "${config:?}"/* "${scaled:?}"/*
  XDG_CONFIG_HOME="$config" QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=$(printf '%d.%02d' $((scale / 100)) $((scale % 100))) \
    xvfb-run --auto-servernum --server-args="-screen 0 1280x800x24" \
    "$program" --simulate --screenshots "$scaled"
  cp "$scaled/main_window.png" "$out/main_window_$scale.png"
done
