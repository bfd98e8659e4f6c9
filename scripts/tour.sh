#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright (C) 2026 DP3tools maintainers
#
# A tour of the dp3 command line against the simulated keyer.
set -uo pipefail
cd "$(dirname "$0")/.."

dp3=build/cli/dp3
work=$(mktemp -d)
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
trap 'kill $sim 2>/dev/null; wait $sim 2>/dev/null; rm -rf "$work"' EXIT

step() {
  echo
  echo "\$ dp3 ${*}"
  "$dp3" "$@"
  echo "(exit $?)"
}

"$dp3" sim >"$work/sim.out" 2>/dev/null &
sim=$!
for _ in $(seq 50); do [ -s "$work/sim.out" ] && break; sleep 0.1; done
port=$(head -n1 "$work/sim.out")
echo "Simulated keyer (LARK, firmware 31.12) on $port"

step --version
step port "$port"
step test
step read "$work/keyer.eep"
echo "($(stat -c %s "$work/keyer.eep") bytes saved)"
step ports
step ports --probe "$port"

step show "$work/keyer.eep" --user 1
cp "$work/keyer.eep" "$work/edited.eep"
step set "$work/edited.eep" Weight=55 "ST Freq=700" "Keyer Mode=Iambic A" Swap=on "Msg 4=CQ TEST"
step set "$work/edited.eep" Weight=5
step diff "$work/keyer.eep" "$work/edited.eep"
step write "$work/edited.eep"
step backups
step play "$work/edited.eep" --msg 4 --wav "$work/msg4.wav"

step firmware tests/data/lark_full.hex
step upload tests/data/lark_full.hex
step upload tests/data/orca_small.hex
step test
