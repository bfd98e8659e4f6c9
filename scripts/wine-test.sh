#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright (C) 2026 DP3tools maintainers
#
# Cross-builds the Windows programs and runs them under wine:
#   - the core's unit tests (unit_tests.exe);
#   - the Win32 serial link (win32_link_tests.exe) against the Linux `dp3 sim`
#     on a pseudo-terminal mapped as COM12, reached as \\.\COM12;
#   - dp3.exe end to end against the same simulated keyer;
#   - dp3tools.exe, the window, working itself through Test, Read, a refused
#     value, Write and an upload on its in-process simulated keyer, on a
#     virtual X display.
# Modes: --winui runs only the window's self-test; --screenshots DIR writes
# pictures of the five Win32 dialogs into DIR (scripts/screenshots-win32.sh;
# DP3_DPI and DP3_SCREEN set the scale and the screen);
# --installer SETUP.exe installs the Windows installer silently, runs the
# installed dp3.exe, uninstalls silently and checks that nothing stays behind
# but the user's settings.
#
# Wine maps COM1, COM2, ... to the host's /dev/ttyS* on its own, and /dev/ttyS0
# may be the machine's console. So wine runs here only: in a private mount
# namespace in which every /dev/ttyS*, /dev/ttyUSB* and /dev/ttyACM* is the null
# device, checked before each start of wine; test ports are mapped only through
# HKLM\Software\Wine\Ports. Never run wine on this tree by hand.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver
serial_devices() { compgen -G '/dev/tty[SUA][0-9CS]*' | grep -E '^/dev/tty(S|USB|ACM)[0-9]+$' || true; }
die() { echo "wine-test: $*" >&2; exit 1; }

if [ "${1:-}" = --installer ]; then  # nothing to build
  [ -f "${2:-}" ] || die "usage: wine-test.sh --installer SETUP.exe"
  scripts/install-deps.sh --windows
  [ "$(id -u)" -eq 0 ] || die "needs root for a private mount namespace"
  exec unshare --mount --propagation private "$0" --masked "$1" "$(realpath "$2")"
fi
if [ "${1:-}" != --masked ]; then
  scripts/install-deps.sh --windows
  started=$(date +%s)
  cmake --preset windows >/dev/null
  targets=(unit_tests win32_link_tests dp3 dp3tools_win winui_tests)
  case "${1:-}" in --winui | --screenshots) targets=(dp3tools_win winui_tests) ;; esac
  nice -n 10 cmake --build build-windows -j 2 --target "${targets[@]}"
  # The Linux dp3 serves the simulated keyer.
  if [ -n "${1:-}" ]; then
    :
  elif [ ! -f build/build.ninja ]; then
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDP3_GUI=ON -DDP3_TESTS=ON \
      -DDP3_BENCH=ON -DDP3_SANITIZE=OFF >/dev/null
  fi
  [ -n "${1:-}" ] || nice -n 10 cmake --build build -j 2 --target dp3
  echo "wine-test: built in $(($(date +%s) - started)) s"
  [ "$(id -u)" -eq 0 ] || die "needs root for a private mount namespace"
  exec unshare --mount --propagation private "$0" --masked "$@"
fi
shift

# From here on: inside the private mount namespace that unshare made for this
# process, so its caller (the parent) is still in the old one. Anything else,
# or a namespace that cannot be read, is refused before anything is mounted.
private_namespace() {
  local mine parent
  mine=$(readlink /proc/self/ns/mnt) || return 1
  parent=$(readlink "/proc/$PPID/ns/mnt") || return 1
  [ -n "$mine" ] && [ -n "$parent" ] && [ "$mine" != "$parent" ]
}
private_namespace || die "refusing: not in a private mount namespace (run without --masked)"
for device in $(serial_devices); do mount --bind /dev/null "$device"; done

masked() {
  private_namespace || return 1
  local device
  for device in $(serial_devices); do
    [ "$(stat -L -c '%t:%T' "$device")" = "1:3" ] || return 1
  done
}
run_wine() {
  masked || die "refusing to start wine: a serial device is not masked"
  "$wine" "$@"
}
masked || die "masking the serial devices failed"
echo "wine-test: $(serial_devices | wc -l) serial devices masked by /dev/null"

export WINEPREFIX=$root/build-windows/wine-prefix
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
scratch=$(mktemp -d)
sim_pid=
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  "$wineserver" -k 2>/dev/null || true
  rm -rf "$scratch"
}
trap cleanup EXIT

started=$(date +%s)
failures=0
check() {  # check NAME COMMAND...: runs the command, counts a failure
  local name=$1
  shift
  if "$@"; then echo "wine-test: PASS $name"; else echo "wine-test: FAIL $name" >&2; failures=$((failures + 1)); fi
}

run_wine wineboot --init >/dev/null 2>&1 || true
"$wineserver" -w

# ---- dp3tools.exe, the Win32 window ----
# Its windows need a display: a virtual X server for one command, with a
# fresh wineserver so that wine's desktop starts on it.
with_display() {
  local display xvfb watchdog status=0
  display=:$((200 + $$ % 300))
  Xvfb "$display" -screen 0 "${DP3_SCREEN:-1280x1024x24}" -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
  "$wineserver" -k 2>/dev/null || true
  "$wineserver" -w || true
  # A window that hangs is ended after 5 minutes (and fails).
  (sleep 300 && "$wineserver" -k) >/dev/null 2>&1 &
  watchdog=$!
  DISPLAY=$display "$@" || status=$?
  kill "$watchdog" 2>/dev/null
  "$wineserver" -k 2>/dev/null || true
  "$wineserver" -w || true
  kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
  return $status
}
winui_tests() { with_display run_wine build-windows/tests/winui_tests.exe --gtest_brief=1; }
winui_self_test() {
  with_display run_wine build-windows/winui/dp3tools.exe --simulate \
    --self-test "$root/tests/data/lark_full.hex"
}
# ---- the installer: installer_test SETUP.exe ----
unix_path() { run_wine winepath -u "$(run_wine cmd /c "echo $1" | tr -d '\r')" 2>/dev/null; }
installer_test() {
  local setup=$1 version programs menu settings uninstall_key t
  version=$(scripts/version.sh)
  # Start-menu entries stay inside the prefix: no menus on this machine.
  export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"
  programs=$(unix_path '%LOCALAPPDATA%')/Programs/DP3tools
  menu="$(unix_path '%APPDATA%')/Microsoft/Windows/Start Menu/Programs/DP3tools"
  settings=$(unix_path '%APPDATA%')/dp3tools
  uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\DP3tools'
  rm -rf "$programs" "$menu" "$settings"  # a run stopped half-way
  run_wine reg delete "$uninstall_key" /f >/dev/null 2>&1 || true

  t=$(date +%s)
  check "installer /S" run_wine "$setup" /S
  "$wineserver" -w
  echo "wine-test: installed silently in $(($(date +%s) - t)) s"
  check "programs, README and uninstaller installed" test -f "$programs/dp3.exe" -a \
    -f "$programs/dp3tools.exe" -a -f "$programs/README.txt" -a -f "$programs/uninstall.exe"
  check "Start-menu entries for the window and the README" \
    test -f "$menu/DP3tools.lnk" -a -f "$menu/DP3tools README.lnk"
  listed() { run_wine reg query "$uninstall_key" /v DisplayVersion | tr -d '\r' | grep -q "$version"; }
  check "listed among the user's programs" listed
  says_version() { [ "$(run_wine "$programs/dp3.exe" --version | tr -d '\r')" = "DP3tools $version" ]; }
  check "installed dp3.exe --version" says_version
  check "installed dp3.exe keeps a setting" run_wine "$programs/dp3.exe" port COM7

  t=$(date +%s)
  check "uninstaller /S" run_wine "$programs/uninstall.exe" /S
  "$wineserver" -w  # the uninstaller finishes from a copy of itself
  echo "wine-test: uninstalled silently in $(($(date +%s) - t)) s"
  check "program folder gone" test ! -e "$programs"
  check "Start-menu entries gone" test ! -e "$menu"
  unlisted() { ! run_wine reg query "$uninstall_key" >/dev/null 2>&1; }
  check "no longer listed" unlisted
  check "a silent uninstall keeps the settings" test -f "$settings/dp3tools.cfg"
  rm -rf "$settings"
  echo "wine-test: $failures failed"
  [ "$failures" -eq 0 ]
}

case "${1:-}" in
  --winui)
    check winui_tests winui_tests
    check "dp3tools.exe self-test" winui_self_test
    [ "$failures" -eq 0 ]
    exit
    ;;
  --screenshots)
    out=$(realpath -m "${2:?--screenshots DIR}")
    mkdir -p "$out"
    # Without a window manager, wine draws the captions and frames itself.
    run_wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null
    # DP3_DPI=144 DP3_SCREEN=1280x800x24: the windows at a large scale.
    run_wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD \
      /d "${DP3_DPI:-96}" /f >/dev/null
    # The uploader shows a firmware file on drive C:, as on Windows.
    cp tests/data/lark_full.hex "$WINEPREFIX/drive_c/lark_full.hex"
    with_display run_wine build-windows/winui/dp3tools.exe --simulate \
      --screenshots "$out" 'C:\lark_full.hex'
    run_wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f >/dev/null
    exit
    ;;
  --installer)
    installer_test "$2"
    exit
    ;;
esac
# ---- end of dp3tools.exe ----

# The simulated keyer, and the ports: COM12 the keyer, COM14 a port with no
# line settings, COM13 none at all.
build/cli/dp3 sim >"$scratch/sim.out" 2>/dev/null &
sim_pid=$!
for _ in $(seq 50); do [ -s "$scratch/sim.out" ] && break; sleep 0.1; done
pty=$(head -n1 "$scratch/sim.out")
[ -c "$pty" ] || die "the simulated keyer did not start"
ln -s "$pty" "$scratch/com12"
ln -s /dev/null "$scratch/com14"
run_wine reg add 'HKLM\Software\Wine\Ports' /v COM12 /t REG_SZ /d "$scratch/com12" /f >/dev/null
run_wine reg add 'HKLM\Software\Wine\Ports' /v COM14 /t REG_SZ /d "$scratch/com14" /f >/dev/null
run_wine reg delete 'HKLM\Software\Wine\Ports' /v COM13 /f >/dev/null 2>&1 || true
"$wineserver" -k || true  # the next start maps the ports afresh
"$wineserver" -w || true
echo "wine-test: keyer on $pty as COM12; wine ready in $(($(date +%s) - started)) s"

export DP3_TEST_PORT=COM12 DP3_MISSING_PORT=COM13 DP3_NOT_A_PORT=COM14
check unit_tests run_wine build-windows/tests/unit_tests.exe --gtest_brief=1
check win32_link_tests run_wine build-windows/tests/win32_link_tests.exe --gtest_brief=1

# The upload's percentage lines follow its timer, so they are left out of the comparison.
without_progress() { grep -Ev '^[0-9]+%$' || true; }
# dp3.exe end to end: expect_dp3 EXIT "STDOUT" ARGS...  (stdout compared exactly)
expect_dp3() {
  local exit_code=$1 out=$2 got status=0
  shift 2
  got=$(run_wine build-windows/cli/dp3.exe "$@" 2>"$scratch/err" | tr -d '\r' | without_progress) ||
    status=$?
  if [ "$status" -ne "$exit_code" ] || [ "$got" != "$out" ]; then
    echo "dp3.exe $*: exit $status (want $exit_code)" >&2
    diff <(echo "$out") <(echo "$got") >&2 || true
    cat "$scratch/err" >&2
    return 1
  fi
}
lark=$'DP F/W revision 31.12\nDP IC: LARK'
check "dp3.exe test" expect_dp3 0 "$lark"$'\n>DP OK\nPotValue: 14\nPB:0\n5.04 Volts' --port COM12 test
check "dp3.exe read" expect_dp3 0 "$lark"$'\n>Done' --port COM12 read "$scratch/keyer.eep"
build/cli/dp3 --port "$pty" read "$scratch/linux.eep" >/dev/null
check "read bytes as on Linux" cmp "$scratch/keyer.eep" "$scratch/linux.eep"
# What Linux dp3 prints, dp3.exe prints: same_as_linux ARGS... (PORT stands for the keyer)
same_as_linux() {
  local want status=0
  want=$(build/cli/dp3 "${@//PORT/$pty}" 2>/dev/null) || status=$?
  want=$(echo "$want" | without_progress)
  expect_dp3 "$status" "$want" "${@//PORT/COM12}"
}
check "dp3.exe write" same_as_linux --port PORT write "$scratch/keyer.eep"
check "dp3.exe open code -4" expect_dp3 2 $'DP Fail:comm open\n>DP ERR' --port COM13 test
check "dp3.exe open code -5" expect_dp3 2 $'DP Fail:get comm state\n>DP ERR' --port COM14 test
check "dp3.exe port" expect_dp3 0 "Keyer port: COM12" port COM12
check "dp3.exe port: no note" test ! -s "$scratch/err"
ports_lists_keyer() { run_wine build-windows/cli/dp3.exe ports | tr -d '\r' | grep -Eq '^\* COM12( |$)'; }
check "dp3.exe ports" ports_lists_keyer
check "dp3.exe takes /path as a file" same_as_linux firmware "$root/tests/data/lark_full.hex"
# The upload changes the keyer's firmware and settings, so the second of two
# runs meets another keyer: dp3.exe uploads first and is checked on its own.
upload_completes() {
  local out
  out=$(run_wine build-windows/cli/dp3.exe --port COM12 upload "$root/tests/data/lark_full.hex" \
    2>"$scratch/err" | tr -d '\r') || { cat "$scratch/err" >&2; return 1; }
  grep -q '^Upload Completed Successfully' <<<"$out" || { echo "$out" >&2; return 1; }
}
check "dp3.exe upload" upload_completes
# dp3 play: the same raw sound down a pipe, and the same WAV file, as on Linux.
play_to_pipe() {
  build/cli/dp3 play "$scratch/keyer.eep" --msg 1 --wpm 40 2>/dev/null >"$scratch/linux.pcm" &&
    run_wine build-windows/cli/dp3.exe play "$scratch/keyer.eep" --msg 1 --wpm 40 2>/dev/null |
    cat >"$scratch/win.pcm" && [ -s "$scratch/win.pcm" ] && cmp "$scratch/linux.pcm" "$scratch/win.pcm"
}
play_to_wav() {
  build/cli/dp3 play "$scratch/keyer.eep" --msg 1 --wav "$scratch/linux.wav" 2>/dev/null &&
    run_wine build-windows/cli/dp3.exe play "$scratch/keyer.eep" --msg 1 --wav "$scratch/win.wav" \
      2>/dev/null && [ -s "$scratch/win.wav" ] && cmp "$scratch/linux.wav" "$scratch/win.wav"
}
check "dp3.exe play to a pipe" play_to_pipe
check "dp3.exe play --wav" play_to_wav

check winui_tests winui_tests
check "dp3tools.exe self-test" winui_self_test

echo "wine-test: $failures failed, $(($(date +%s) - started)) s under wine"
[ "$failures" -eq 0 ]
