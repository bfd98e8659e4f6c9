#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright (C) 2026 DP3tools maintainers
#
# Checks what scripts/package.sh made in dist/ without installing anything:
#   - the zip's listing and integrity, the version block and icon of both
#     programs, the installer's kind;
#   - each .deb (amd64, arm64): control fields, contents, lintian with no
#     error or warning, the AppStream metainfo (appstreamcli validate) and the
#     desktop entry (desktop-file-validate, not even a hint), its programs
#     unpacked into a scratch folder and run (arm64 under qemu-aarch64).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --package
version=$(scripts/version.sh)
zip=dist/dp3tools-${version}-win64.zip
setup=dist/dp3tools-${version}-win64-setup.exe
failures=0
check() {  # check NAME COMMAND...
  local name=$1
  shift
  if "$@"; then echo "package: PASS $name"; else echo "package: FAIL $name" >&2; failures=$((failures + 1)); fi
}
has_lines() {  # has_lines TEXT PATTERN...: every extended regex matches a line
  local text=$1 pattern
  shift
  for pattern in "$@"; do
    grep -Eq -- "$pattern" <<<"$text" || { echo "missing: $pattern" >&2; return 1; }
  done
}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# ---- Windows: the zip and the installer ----
listing=$(unzip -Z1 "$zip")
echo "$listing"
folder="dp3tools-${version}-win64/"
check "zip lists the programs, README.txt and LICENSE.txt" has_lines "$listing" \
  "^${folder}dp3\.exe$" "^${folder}dp3tools\.exe$" "^${folder}README\.txt$" "^${folder}LICENSE\.txt$"
check "zip holds nothing else" \
  test -z "$(grep -Ev "^${folder}(|dp3\.exe|dp3tools\.exe|README\.txt|LICENSE\.txt)$" <<<"$listing")"
check "zip is intact" unzip -tq "$zip"
unzip -q "$zip" -d "$scratch/zip"
win=$scratch/zip/$folder
check "dp3.exe is a 64-bit Windows console program" \
  bash -c "file '$win/dp3.exe' | grep -q 'PE32+ executable (console) x86-64'"
check "dp3tools.exe is a 64-bit Windows GUI program" \
  bash -c "file '$win/dp3tools.exe' | grep -q 'PE32+ executable (GUI) x86-64'"
check "README.txt has Windows line ends" grep -q $'\r$' "$win/README.txt"
check "README.txt names the version" grep -q "^DP3tools ${version} for Windows" "$win/README.txt"
# Explorer's Details tab: the version block's texts (UTF-16), and an icon.
version_block() {  # version_block EXE KEY VALUE: the block holds KEY with VALUE
  wrestool -x --raw -t 16 "$1" | strings -e l -n 1 | grep -A1 -x "$2" | tail -n1 | grep -qx -- "$3"
}
for exe in dp3.exe dp3tools.exe; do
  check "$exe version: product" version_block "$win/$exe" ProductName DP3tools
  check "$exe version: product version" version_block "$win/$exe" ProductVersion "$version"
  check "$exe version: file version" version_block "$win/$exe" FileVersion "$version"
  check "$exe version: description" version_block "$win/$exe" FileDescription '.*Ditpulse 3 keyers'
  check "$exe version: file name" version_block "$win/$exe" OriginalFilename "$exe"
  check "$exe has the icon" bash -c "wrestool -l -t 14 '$win/$exe' | grep -q 'type=14'"
done
check "installer is a 64-bit NSIS installer" \
  bash -c "file '$setup' | grep -q 'PE32+ executable (GUI) x86-64' && grep -qa Nullsoft '$setup'"
check "installer version: product version" version_block "$setup" ProductVersion "$version"

# ---- Debian: the two .debs ----
# check_deb ARCH FILE-PATTERN RUN...: RUN runs one of its programs here.
check_deb() {
  local arch=$1 elf=$2 deb=dist/dp3tools_${version}_$1.deb info contents unpacked lint status
  shift 2
  local run=("$@")
  echo "---- $deb"
  info=$(dpkg-deb -I "$deb")
  echo "$info"
  check "$arch: control fields" has_lines "$info" '^ Package: dp3tools$' "^ Version: ${version}$" \
    "^ Architecture: ${arch}$" '^ Section: hamradio$' '^ Priority: optional$' \
    '^ Maintainer: DP3tools maintainers <maintainers@dp3tools\.org>$' \
    '^ Homepage: https://dp3tools\.org/$' '^ Depends: (.*, )?libc6 \(' '^ Depends: (.*, )?libqt6widgets6 \(' \
    '^ Depends: (.*, )?libstdc\+\+6 \(' '^ Depends: (.*, )?qt6-qpa-plugins(,|$)'
  contents=$(dpkg-deb -c "$deb" | awk '{print $NF}')
  echo "$contents"
  check "$arch: contents" has_lines "$contents" '^\./usr/bin/dp3$' '^\./usr/bin/dp3tools$' \
    '^\./usr/share/applications/dp3tools\.desktop$' \
    '^\./usr/share/metainfo/org\.dp3tools\.dp3tools\.metainfo\.xml$' \
    '^\./usr/share/icons/hicolor/scalable/apps/dp3tools\.svg$' \
    '^\./usr/share/icons/hicolor/256x256/apps/dp3tools\.png$' \
    '^\./usr/share/man/man1/dp3\.1\.gz$' '^\./usr/share/man/man1/dp3tools\.1\.gz$' \
    '^\./usr/share/doc/dp3tools/README\.md$' '^\./usr/share/doc/dp3tools/copyright$' \
    '^\./usr/share/doc/dp3tools/changelog\.gz$'
  check "$arch: installs under /usr only" test -z "$(grep -Ev '^\./(usr/.*)?$' <<<"$contents")"
  # lintian: no error and no warning (information lines are shown, not counted).
  status=0
  lint=$(lintian --fail-on error,warning --display-info "$deb" 2>&1) || status=$?
  echo "$lint"
  check "$arch: lintian: no E: or W: line (exit $status)" \
    bash -c '[ "$1" -eq 0 ] && ! grep -Eq "^(E|W): " <<<"$2"' _ "$status" "$lint"

  unpacked=$scratch/$arch
  dpkg-deb -x "$deb" "$unpacked"
  check "$arch: AppStream metainfo validates" \
    appstreamcli validate --no-net "$unpacked/usr/share/metainfo/org.dp3tools.dp3tools.metainfo.xml"
  check "$arch: desktop entry validates without a hint" \
    bash -c "out=\$(desktop-file-validate '$unpacked/usr/share/applications/dp3tools.desktop' 2>&1) && [ -z \"\$out\" ] || { echo \"\$out\" >&2; false; }"
  check "$arch: programs are $elf" \
    bash -c "file -L '$unpacked/usr/bin/dp3' '$unpacked/usr/bin/dp3tools' | grep -c '$elf' | grep -qx 2"
  check "$arch: programs are stripped" \
    bash -c "! file '$unpacked/usr/bin/dp3' '$unpacked/usr/bin/dp3tools' | grep -q 'not stripped'"
  check "$arch: dp3 runs" bash -c "$(printf '%q ' "${run[@]}") '$unpacked/usr/bin/dp3' --version | grep -qx 'DP3tools ${version}'"
  check "$arch: dp3tools starts, its libraries found" bash -c \
    "$(printf '%q ' "${run[@]}") '$unpacked/usr/bin/dp3tools' --version | grep -qx 'dp3tools ${version}'"
  check "$arch: dp3 reads a firmware file" \
    bash -c "$(printf '%q ' "${run[@]}") '$unpacked/usr/bin/dp3' firmware tests/data/lark_full.hex >/dev/null"
  check "$arch: man pages read" bash -c "man -l '$unpacked/usr/share/man/man1/dp3.1.gz' 2>/dev/null | grep -q 'dp3 - configure' &&
    man -l '$unpacked/usr/share/man/man1/dp3tools.1.gz' 2>/dev/null | grep -q 'DP3tools ${version}'"
  check "$arch: changelog names the version" \
    bash -c "zcat '$unpacked/usr/share/doc/dp3tools/changelog.gz' | head -n1 | grep -qx 'dp3tools (${version}) unstable; urgency=medium'"
}
check_deb amd64 'ELF 64-bit LSB pie executable, x86-64' env
check "amd64: dp3tools finds its libraries" \
  bash -c "! ldd '$scratch/amd64/usr/bin/dp3tools' | grep -q 'not found'"
check_deb arm64 'ELF 64-bit LSB pie executable, ARM aarch64' qemu-aarch64

echo "package: $failures failed"
[ "$failures" -eq 0 ]
