#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright (C) 2026 DP3tools maintainers
#
# Builds the release packages into dist/:
#   dp3tools_VERSION_amd64.deb        both programs, man pages, desktop entry, icons,
#                                     AppStream metainfo, changelog, copyright (CPack)
#   dp3tools_VERSION_arm64.deb        the same, cross-built for 64-bit ARM (Raspberry
#                                     Pi OS, Debian arm64) with Debian's aarch64 toolchain
#   dp3tools-VERSION-win64.zip        dp3.exe, dp3tools.exe, README.txt, LICENSE.txt
#                                     (mingw-w64 cross-build)
#   dp3tools-VERSION-win64-setup.exe  the same folder as a per-user installer (NSIS)
# The .debs pack the programs of the usual builds (build/, build-arm64/, made
# here when missing), stripped and placed under /usr. Nothing is installed on
# this machine. VERSION is project()'s in CMakeLists.txt.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
version=$(scripts/version.sh)
mkdir -p dist
rm -f dist/dp3tools_"${version}"_*.deb dist/dp3tools-"${version}"-win64*

# A Debian package from a configured build: make_deb BUILD_DIR DEBIAN_ARCH
make_deb() {
  local dir=$1 arch=$2
  nice -n 10 cmake --build "$dir" -j 2 --target dp3 dp3tools package_files
  # dpkg-shlibdeps looks for the libraries of the package's architecture.
  (cd "$dir" && dpkg-architecture -a "$arch" -f -c cpack -G DEB \
    -D CPACK_PACKAGING_INSTALL_PREFIX=/usr >/dev/null 2>cpack.err) ||
    { cat "$dir/cpack.err" >&2; exit 1; }
  mv "$dir/dp3tools_${version}_${arch}.deb" dist/
}

scripts/install-deps.sh
[ -f build/build.ninja ] || scripts/build.sh release
make_deb build amd64

scripts/install-deps.sh --arm64
[ -f build-arm64/build.ninja ] || cmake --preset arm64 >/dev/null
make_deb build-arm64 arm64

# The Windows folder, zipped and as an installer.
scripts/install-deps.sh --windows
cmake --preset windows >/dev/null
targets=(dp3)
if cmake --build build-windows --target help | grep -q '^dp3tools_win[:,]'; then targets+=(dp3tools_win); fi
nice -n 10 cmake --build build-windows -j 2 --target "${targets[@]}"
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
name=dp3tools-${version}-win64
folder=$stage/$name
mkdir "$folder"
cp build-windows/cli/dp3.exe "$folder/"
[ -f build-windows/winui/dp3tools.exe ] && cp build-windows/winui/dp3tools.exe "$folder/"
# Notepad's line ends.
sed -e "s/@DP3_VERSION@/${version}/g" -e 's/$/\r/' docs/README-windows.txt >"$folder/README.txt"
sed 's/$/\r/' LICENSE >"$folder/LICENSE.txt"
x86_64-w64-mingw32-strip "$folder"/*.exe
(cd "$stage" && zip -q -r -X "$root/dist/$name.zip" "$name")
IFS=. read -r major minor patch _ <<<"$version"
makensis -V2 -DVERSION="$version" -DVERSION_QUAD="$major.$minor.${patch:-0}.0" \
  -DSTAGE="$folder" -DICON="$root/resources/win32/dp3tools.ico" -DOUTFILE="$root/dist/$name-setup.exe" \
  packaging/dp3tools.nsi

ls -l dist/
