#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright (C) 2026 DP3tools maintainers
#
# Every dp3 command against simulated keyers, on its good path and its
# failure paths: standard output, standard error and the exit code of each,
# with the run's own folder, ports and dates replaced by names, so that two
# runs of the same program print the same transcript.
#   tests/transcript/cli_transcript.sh DP3 [GOLDEN]
# With GOLDEN, compares with it and fails on any difference.
set -uo pipefail
dp3=$1
golden=${2:-}
data=$(cd "$(dirname "$0")/../data" && pwd)
work=$(mktemp -d)
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" TZ=UTC LC_ALL=C
sims=()
trap 'for s in "${sims[@]}"; do kill "$s" 2>/dev/null; wait "$s" 2>/dev/null; done; rm -rf "$work"' EXIT
cd "$work" || exit 1

# sim NAME ARGS...: a simulated keyer; its device path in $NAME.
sim() {
  local name=$1
  shift
  "$dp3" sim "$@" >"$work/$name.out" 2>/dev/null &
  sims+=($!)
  for _ in $(seq 100); do [ -s "$work/$name.out" ] && break; sleep 0.05; done
  printf -v "$name" '%s' "$(head -n1 "$work/$name.out")"
}

step() {
  echo "\$ dp3 $*"
  "$dp3" "$@" >"$work/out" 2>"$work/err" </dev/null
  local code=$?
  sed 's/^/  | /' "$work/out"
  sed 's/^/  ! /' "$work/err"
  echo "  exit $code"
}

run() {
  sim keyer
  sim bare --variant NONE
  sim old --version 30 --revision 3 --variant ORCA
  sim pika --variant PIKA
  sim silent --fault silence
  sim short --fault short-dump
  sim badstore --fault bad-store@20
  sim hangup --fault write-hangup
  sim refuse --fault 'refuse:0x81@5'
  sim noreply --fault 'no-reply@3'

  step --version
  step
  step nonsense
  step port "$keyer"
  step test
  step --port "$pika" test
  step --port "$old" test
  step --port "$bare" test
  step --port "$silent" test
  step --port /dev/dp3-missing test
  step backups
  step read keyer.eep
  step read keyer.eep
  step --port "$bare" read bare.eep
  step --port "$old" read old.eep
  step --port "$short" read short.eep
  step read /no/such/dir/x.eep
  step read ""
  step read ./
  step ports --probe "$keyer" "$bare" /dev/dp3-missing
  step show keyer.eep --user 1
  step show keyer.eep --user 2 --json
  step show missing.eep
  step show keyer.eep --user 3
  cp keyer.eep edited.eep
  step set edited.eep Weight=55 "ST Freq=700" "Keyer Mode=Iambic A" Swap=on "Msg 4=CQ TEST" "Baud Rate=75" "RTTY Enable=on"
  step set edited.eep Weight=5
  step set edited.eep MaxWpm=10 MinWpm=20
  step set edited.eep Nonsense=1
  step set edited.eep Weight
  step set edited.eep Weight=abc
  step set edited.eep Swap=maybe
  step set edited.eep "Keyer Mode=Straight"
  step set edited.eep "Msg 1=CQ \$ TEST"
  step set edited.eep "Msg 2=~~~"
  step set edited.eep "User Callsign /M=N0CALL" --user 2
  step set fresh.eep "Msg 12=NEW"
  step diff keyer.eep edited.eep
  step diff keyer.eep keyer.eep
  step diff keyer.eep missing.eep
  step write edited.eep
  step --port "$badstore" write edited.eep
  step --port "$badstore" write edited.eep --no-verify
  step --port "$hangup" write edited.eep
  step --port "$bare" write edited.eep
  step --port "$old" write edited.eep
  step write missing.eep
  printf 'short' >bad.eep
  step write bad.eep
  step set refused.eep Weight=60
  printf '\x05' | dd of=refused.eep bs=1 seek=3 conv=notrunc status=none
  step write refused.eep
  step backups
  step play edited.eep --msg 4 --wav msg4.wav
  step play edited.eep --msg 13 --wav x.wav
  step play edited.eep --callsign --user 2 --wav cs.wav
  step play missing.eep --msg 1 --wav x.wav
  step firmware "$data/lark_full.hex"
  step firmware "$data/orca_small.hex"
  step firmware "$data/end_only.hex"
  step firmware missing.hex
  step upload missing.hex
  step upload "$data/orca_small.hex"
  step --port "$refuse" upload "$data/lark_full.hex"
  step --port "$refuse" test
  step --port "$refuse" upload "$data/lark_full.hex"
  step --port "$noreply" upload "$data/lark_full.hex"
  step --port "$bare" upload "$data/lark_full.hex"
  step --port "$silent" upload "$data/lark_full.hex"
  step upload "$data/lark_full.hex"
  step upload "$data/lark_full.hex"
  step test
  step sim --variant FOO
  step sim --eep missing.eep
  step sim --replay missing.trace
  step port /dev/dp3-missing
  step port "$keyer"
}

# The run's own names: its folder, the pseudo-terminals, backup dates and times.
normalise() {
  sed -E -e "s#$work#WORK#g" -e "s#$data#DATA#g" \
    -e 's#backups/[^ ]+\.eep#backups/BACKUP.eep#g' \
    -e 's#/dev/pts/[0-9]+#PTY#g' \
    -e 's#[0-9]{4}-[0-9]{2}-[0-9]{2}[ _T][0-9]{2}[:.]?[0-9]{2}[:.]?[0-9]{2}(\.[0-9]+)?#DATE#g' \
    -e 's#[0-9]+\.[0-9]+ s\b#N s#g' |
    # How many progress lines an upload prints depends on the machine's pace.
    grep -Ev '^  \| [0-9]+%$'
}

if [ -z "$golden" ]; then
  run 2>&1 | normalise
  exit 0
fi
run 2>&1 | normalise >"$work/transcript"
if diff -u "$golden" "$work/transcript"; then
  echo "transcript: as recorded"
else
  echo "transcript: differs from $golden (above)" >&2
  exit 1
fi
