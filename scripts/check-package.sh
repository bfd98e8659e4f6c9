#!/usr/bin/env bash
# Checks what scripts/package.sh made in dist/: the zip's listing and integrity,
# the .deb's control fields and contents, and its programs unpacked into a
# scratch folder (never installed here).
set -euo pipefail
cd "$(dirname "$0")/.."
version=$(sed -n 's/^project(dp3tools VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
deb=dist/dp3tools_${version}_amd64.deb
zip=dist/dp3tools-${version}-win64.zip
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

# The zip: one folder, the command line, the README; the window program when it was built.
listing=$(unzip -Z1 "$zip")
echo "$listing"
folder="dp3tools-${version}-win64/"
check "zip lists dp3.exe and README.txt" has_lines "$listing" "^${folder}dp3\.exe$" "^${folder}README\.txt$"
check "zip holds nothing else" test -z "$(grep -Ev "^${folder}(|dp3\.exe|dp3tools\.exe|README\.txt)$" <<<"$listing")"
if [ -f build-windows/winui/dp3tools.exe ] || [ -f build-windows/dp3tools.exe ]; then
  check "zip lists dp3tools.exe" has_lines "$listing" "^${folder}dp3tools\.exe$"
fi
check "zip is intact" unzip -tq "$zip"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
unzip -q "$zip" -d "$scratch/zip"
check "dp3.exe is a 64-bit Windows program" \
  bash -c "file '$scratch/zip/$folder/dp3.exe' | grep -q 'PE32+ executable (console) x86-64'"
check "README.txt has Windows line ends" grep -q $'\r$' "$scratch/zip/$folder/README.txt"

# The .deb: control fields.
info=$(dpkg-deb -I "$deb")
echo "$info"
check "deb control fields" has_lines "$info" '^ Package: dp3tools$' "^ Version: ${version}$" \
  '^ Architecture: amd64$' '^ Section: hamradio$' '^ Depends: .*libc6' '^ Depends: .*libqt6widgets6' \
  '^ Depends: .*libstdc\+\+6'
# Its contents.
contents=$(dpkg-deb -c "$deb" | awk '{print $NF}')
echo "$contents"
check "deb contents" has_lines "$contents" '^\./usr/bin/dp3$' '^\./usr/bin/dp3tools$' \
  '^\./usr/share/applications/dp3tools\.desktop$' \
  '^\./usr/share/icons/hicolor/scalable/apps/dp3tools\.svg$' \
  '^\./usr/share/icons/hicolor/256x256/apps/dp3tools\.png$' \
  '^\./usr/share/man/man1/dp3\.1\.gz$' '^\./usr/share/doc/dp3tools/README\.md$'
check "deb installs under /usr only" test -z "$(grep -Ev '^\./(usr/.*)?$' <<<"$contents")"
# Unpacked into the scratch folder: the programs run and find their libraries.
dpkg-deb -x "$deb" "$scratch/deb"
check "dp3 runs" bash -c "'$scratch/deb/usr/bin/dp3' --version | grep -qx 'DP3tools ${version}'"
check "dp3 reads a firmware file" bash -c "'$scratch/deb/usr/bin/dp3' firmware tests/data/lark_full.hex >/dev/null"
check "dp3tools finds its libraries" bash -c "! ldd '$scratch/deb/usr/bin/dp3tools' | grep -q 'not found'"
check "programs are stripped" bash -c "! file '$scratch/deb/usr/bin/dp3' '$scratch/deb/usr/bin/dp3tools' | grep -q 'not stripped'"
check "man page reads" bash -c "man -l '$scratch/deb/usr/share/man/man1/dp3.1.gz' 2>/dev/null | grep -q 'dp3 - configure'"

echo "package: $failures failed"
[ "$failures" -eq 0 ]
