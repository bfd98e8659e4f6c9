#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright (C) 2026 DP3tools maintainers
#
# The licence header of every source file:
#   scripts/spdx.sh --check [FILE...]   lists the files without one (exit 1 if any)
#   scripts/spdx.sh --apply [FILE...]   gives them one
#   scripts/spdx.sh --self-test         applies and checks on planted files
# Without FILEs: every file git tracks whose kind is known (C++, resource
# scripts, shell, CMake, NSIS, desktop entries, man pages, XML, Markdown).
# The header is two comment lines at the top (after a #! line or an XML
# declaration), in the file's own comment style:
#   // SPDX-License-Identifier: GPL-3.0-or-later
#   // Copyright (C) 2026 DP3tools maintainers
set -euo pipefail
cd "$(dirname "$0")/.."
readonly kLicence="SPDX-License-Identifier: GPL-3.0-or-later"
readonly kCopyright="Copyright (C) 2026 DP3tools maintainers"

# The comment style of a file as "PREFIX|SUFFIX", or nothing for a file whose
# kind is not known (data, pictures, generated or plain text).
style() {
  case "$1" in tests/data/* | */corpus/* | docs/screenshots/*) return 0 ;; esac
  case "${1##*/}" in
    *.cpp | *.hpp | *.h | *.rc) echo '// |' ;;
    *.sh | *.cmake | CMakeLists.txt | *.desktop) echo '# |' ;;
    *.nsi) echo '; |' ;;
    *.1) echo '.\" |' ;;
    *.xml | *.xml.in | *.manifest.in | *.ui | *.qrc | *.md) echo '<!-- | -->' ;;
    *.*) ;;
    *) [ "$(head -c 2 "$1" 2>/dev/null)" = '#!' ] && echo '# |' ;;
  esac
  return 0
}
has_header() { head -n 5 "$1" | grep -q "$kLicence"; }

apply() {  # apply FILE PREFIX SUFFIX
  local file=$1 prefix=$2 suffix=$3 first keep=0 tmp
  first=$(head -n 1 "$file")
  case "$first" in '#!'* | '<?xml'*) keep=1 ;; esac
  tmp=$(mktemp)
  {
    [ "$keep" -eq 1 ] && printf '%s\n' "$first"
    printf '%s%s%s\n' "$prefix" "$kLicence" "$suffix"
    printf '%s%s%s\n' "$prefix" "$kCopyright" "$suffix"
    # A comment that opened the file stays its first paragraph.
    next=$(sed -n "$((keep + 1))p" "$file")
    if [ -z "$suffix" ] && [[ "$next" == "${prefix% }"* ]]; then
      printf '%s\n' "${prefix% }"
    elif [ -n "$next" ]; then
      echo
    fi
    tail -n +"$((keep + 1))" "$file"
  } >"$tmp"
  chmod --reference="$file" "$tmp"
  mv "$tmp" "$file"
}

run() {  # run MODE FILE...
  local mode=$1 file kind missing=0
  shift
  for file in "$@"; do
    [ -f "$file" ] || continue
    kind=$(style "$file")
    [ -n "$kind" ] || continue
    has_header "$file" && continue
    if [ "$mode" = --apply ]; then
      apply "$file" "${kind%%|*}" "${kind#*|}"
      echo "spdx: header added: $file"
    else
      echo "spdx: no licence header: $file"
      missing=$((missing + 1))
    fi
  done
  if [ "$mode" = --check ]; then
    echo "spdx: $missing files without a licence header"
    [ "$missing" -eq 0 ]
  fi
}

self_test() {
  local dir failures=0
  dir=$(mktemp -d)
  trap 'rm -rf "$dir"' RETURN
  printf '// What it holds.\nint x;\n' >"$dir/a.cpp"
  printf '#!/bin/sh\necho hi\n' >"$dir/run"
  chmod +x "$dir/run"
  printf '<?xml version="1.0"?>\n<x/>\n' >"$dir/b.xml"
  printf '.TH X 1\n' >"$dir/x.1"
  printf 'some data\n' >"$dir/c.bin"
  run --check "$dir"/* >/dev/null && { echo "spdx self-test: --check passed files without a header" >&2; failures=1; }
  run --apply "$dir"/* >/dev/null
  run --check "$dir"/* >/dev/null || { echo "spdx self-test: --apply left a file without a header" >&2; failures=1; }
  [ "$(sed -n 1,4p "$dir/a.cpp")" = "// $kLicence
// $kCopyright
//
// What it holds." ] || { echo "spdx self-test: C++ header" >&2; failures=1; }
  [ "$(sed -n 1,2p "$dir/run")" = "#!/bin/sh
# $kLicence" ] || { echo "spdx self-test: the #! line must stay first" >&2; failures=1; }
  [ "$(sed -n 2p "$dir/b.xml")" = "<!-- $kLicence -->" ] || { echo "spdx self-test: XML" >&2; failures=1; }
  [ "$(sed -n 1p "$dir/x.1")" = ".\\\" $kLicence" ] || { echo "spdx self-test: man page" >&2; failures=1; }
  [ "$(cat "$dir/c.bin")" = "some data" ] || { echo "spdx self-test: touched a data file" >&2; failures=1; }
  run --apply "$dir"/* >/dev/null
  [ "$(grep -c "$kLicence" "$dir/a.cpp")" -eq 1 ] || { echo "spdx self-test: applied twice" >&2; failures=1; }
  [ -x "$dir/run" ] || { echo "spdx self-test: lost the execute bit" >&2; failures=1; }
  [ "$failures" -eq 0 ] && echo "spdx self-test: passed"
  [ "$failures" -eq 0 ]
}

mode=${1:-}
case "$mode" in
  --check | --apply)
    shift
    if [ $# -eq 0 ]; then
      mapfile -t files < <(git ls-files)
      set -- "${files[@]}"
    fi
    run "$mode" "$@"
    ;;
  --self-test) self_test ;;
  *)
    echo "usage: scripts/spdx.sh --check|--apply [FILE...] | --self-test" >&2
    exit 1
    ;;
esac
