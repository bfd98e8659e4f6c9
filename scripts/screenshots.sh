#!/usr/bin/env bash
# Pictures of the five windows, taken under a virtual X display:
#   scripts/screenshots.sh [OUTPUT_DIR]     (default docs/screenshots)
# Starts dp3tools on its simulated keyer, reads it, and writes
# main_window.png, port_window.png, uploader_window.png, about_window.png
# and rtty_window.png.
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
