#!/usr/bin/env bash
# Builds the release packages into dist/:
#   dp3tools_VERSION_amd64.deb   both programs, desktop entry, icons, man page (CPack)
#   dp3tools-VERSION-win64.zip   dp3.exe, dp3tools.exe when the Windows build has it,
#                                and a README for Windows users (mingw-w64 cross-build)
# The .deb packs the programs of the usual build (build/, made here when it is
# missing), stripped and placed under /usr; the zip comes from build-windows.
# Nothing is installed on this machine.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
version=$(sed -n 's/^project(dp3tools VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "package: no version in CMakeLists.txt" >&2; exit 1; }
mkdir -p dist
rm -f "dist/dp3tools_${version}_amd64.deb" "dist/dp3tools-${version}-win64.zip"

# The Debian package.
scripts/install-deps.sh
[ -f build/build.ninja ] || scripts/build.sh release
nice -n 10 cmake --build build -j 2 --target dp3 dp3tools man_page
(cd build && cpack -G DEB -D CPACK_PACKAGING_INSTALL_PREFIX=/usr >/dev/null)
mv "build/dp3tools_${version}_amd64.deb" dist/

# The Windows folder, zipped.
scripts/install-deps.sh --windows
cmake --preset windows >/dev/null
targets=(dp3)
if cmake --build build-windows --target help | grep -q '^dp3tools[:,]'; then targets+=(dp3tools); fi
nice -n 10 cmake --build build-windows -j 2 --target "${targets[@]}"
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
folder="$stage/dp3tools-${version}-win64"
mkdir "$folder"
cp build-windows/cli/dp3.exe "$folder/"
for exe in build-windows/winui/dp3tools.exe build-windows/dp3tools.exe; do
  [ -f "$exe" ] && cp "$exe" "$folder/" && break
done
sed 's/$/\r/' docs/README-windows.txt >"$folder/README.txt"  # Notepad's line ends
x86_64-w64-mingw32-strip "$folder"/*.exe
(cd "$stage" && zip -q -r -X "$root/dist/dp3tools-${version}-win64.zip" "dp3tools-${version}-win64")

ls -l dist/
