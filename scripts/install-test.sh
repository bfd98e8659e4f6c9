#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright (C) 2026 DP3tools maintainers
#
# Installs dist/dp3tools_VERSION_amd64.deb as a user would, on a minimal
# Debian 12 made here with mmdebstrap (essential packages and apt, nothing
# else). apt brings what the package's Depends name (no recommended packages,
# so they must be enough) and installs the package, then
#   dp3 --version; dp3 sim with dp3 test and dp3 read against it;
#   dp3tools --simulate on the offscreen platform for two seconds;
# and finally apt purges it, after which /usr must hold exactly what it held
# before the package came. Needs root and the Debian archive: without the
# archive this test cannot run, and fails saying so.
#
# Downloaded packages are kept in $DP3_APT_CACHE (default
# /var/cache/dp3tools-install-test) for the next run on this machine.
set -euo pipefail
cd "$(dirname "$0")/.."
root_dir=$PWD
version=$(scripts/version.sh)
deb=dp3tools_${version}_amd64.deb
die() { echo "install-test: $*" >&2; exit 1; }

# ---- Inside: run by mmdebstrap as its customize hook, with the new system's root ----
if [ "${1:-}" = --inside ]; then
  system=$2
  failures=0
  check() {  # check NAME COMMAND...
    local name=$1
    shift
    if "$@"; then echo "install-test: PASS $name"; else echo "install-test: FAIL $name" >&2; failures=$((failures + 1)); fi
  }
  # A command in the new system, with a plain environment.
  plain_env=(env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LC_ALL=C.UTF-8
    DEBIAN_FRONTEND=noninteractive)
  on_system() { chroot "$system" "${plain_env[@]}" "$@"; }
  apt_get() { on_system apt-get -q -o Dpkg::Progress-Fancy=0 -o Dpkg::Use-Pty=0 "$@"; }
  usr_listing() { (cd "$system" && find usr | sort); }
  echo "install-test: a minimal Debian 12 made in $(($(date +%s) - DP3_STARTED)) s"
  started=$(date +%s)
  check "apt brings what it depends on" \
    apt_get satisfy -y --no-install-recommends "$(dpkg-deb -f "$system/tmp/$deb" Depends)"
  usr_listing >"$system/tmp/usr-before"
  check "apt installs $deb" apt_get install -y --no-install-recommends "/tmp/$deb"
  echo "install-test: installed with its dependencies in $(($(date +%s) - started)) s"

  says_version() { [ "$(on_system dp3 --version)" = "DP3tools $version" ]; }
  check "dp3 --version" says_version
  # dp3 sim serves a simulated keyer on a pseudo-terminal; test and read talk to it.
  chroot "$system" "${plain_env[@]}" dp3 sim >"$system/tmp/sim.out" 2>&1 &
  sim=$!
  for _ in $(seq 50); do [ -s "$system/tmp/sim.out" ] && break; sleep 0.1; done
  pty=$(head -n1 "$system/tmp/sim.out")
  check "dp3 sim serves a keyer" test -c "$system$pty"
  keyer_test() {
    local out
    out=$(on_system dp3 --port "$pty" test) || true
    echo "$out"
    grep -qx '>DP OK' <<<"$out"
  }
  check "dp3 test" keyer_test
  keyer_read() { on_system dp3 --port "$pty" read /tmp/keyer.eep && [ "$(stat -c %s "$system/tmp/keyer.eep")" -eq 300 ]; }
  check "dp3 read" keyer_read
  kill "$sim" 2>/dev/null || true
  wait "$sim" 2>/dev/null || true
  # The window on the offscreen platform: still running when its two seconds are up.
  window() {
    local status=0
    on_system env QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=/tmp timeout 2 dp3tools --simulate \
      2>"$system/tmp/window.err" || status=$?
    [ "$status" -eq 124 ] || { echo "dp3tools exited with $status" >&2; cat "$system/tmp/window.err" >&2; return 1; }
  }
  check "dp3tools --simulate runs for two seconds" window

  started=$(date +%s)
  check "apt purges it" apt_get purge -y dp3tools
  echo "install-test: purged in $(($(date +%s) - started)) s"
  usr_listing >"$system/tmp/usr-after"
  check "nothing of it left under /usr" diff "$system/tmp/usr-before" "$system/tmp/usr-after"
  forgotten() { ! on_system dpkg-query -W dp3tools >/dev/null 2>&1; }
  check "dpkg no longer knows it" forgotten
  # Nothing may outlive the system (mmdebstrap unmounts it next).
  for process in /proc/[0-9]*; do
    [ "$(readlink "$process/root" 2>/dev/null)" = "$system" ] && kill -9 "${process#/proc/}" 2>/dev/null
  done
  echo "install-test: $failures failed"
  [ "$failures" -eq 0 ]
  exit
fi

[ "$(id -u)" -eq 0 ] || die "needs root (mmdebstrap makes the system in a chroot)"
[ -f "dist/$deb" ] || die "no dist/$deb: run scripts/package.sh first"
scripts/install-deps.sh --package
mirror=http://deb.debian.org/debian
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
if ! timeout 30 /usr/lib/apt/apt-helper download-file "$mirror/dists/bookworm/Release" \
  "$scratch/Release" >/dev/null 2>&1; then
  die "FAIL: the Debian archive ($mirror) cannot be reached, so the package cannot be installed on a fresh system here"
fi
cache=${DP3_APT_CACHE:-/var/cache/dp3tools-install-test}
mkdir -p "$cache"
export DP3_STARTED=$(date +%s)
mmdebstrap --quiet --variant=apt --mode=root --format=null \
  --aptopt='Acquire::Languages "none"' --dpkgopt=force-unsafe-io \
  --skip=essential/unlink \
  --setup-hook='mkdir -p "$1/var/cache/apt/archives"' \
  --setup-hook="sync-in $cache /var/cache/apt/archives" \
  --customize-hook="copy-in dist/$deb /tmp" \
  --customize-hook="$root_dir/scripts/install-test.sh --inside \"\$1\"" \
  --customize-hook="sync-out /var/cache/apt/archives $cache" \
  bookworm /dev/null \
  "deb $mirror bookworm main" "deb $mirror bookworm-updates main" \
  "deb http://deb.debian.org/debian-security bookworm-security main" ||
  die "FAIL after $(($(date +%s) - DP3_STARTED)) s (see above)"
echo "install-test: a fresh Debian 12, the package installed, run and purged in $(($(date +%s) - DP3_STARTED)) s"
