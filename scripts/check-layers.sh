#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright (C) 2026 DP3tools maintainers
#
# Keeps the layers one-way: fails on an include that climbs a layer, or on a
# window toolkit (Qt, Win32) or the browser's runtime (Emscripten) brought into
# the core outside its platform folder.
#   scripts/check-layers.sh [ROOT]     check the tree at ROOT (default: this one)
#   scripts/check-layers.sh --self-test  plant faults in a scratch tree, expect each caught
set -uo pipefail

# A folder may include its own files and those of lower layers. Folders on one
# rank do not include each other. The control surface sits above the domain:
# settings/, sound/, link/ and firmware/ know no window control ids, and their
# results become texts above them.
rank() {
  case "$1" in
    system) echo 0 ;;
    settings) echo 1 ;;
    link | sound) echo 2 ;;
    firmware) echo 3 ;;
    surface) echo 4 ;;
    sim | window_logic) echo 5 ;;
    cli | ui | winui | web) echo 6 ;;
    *) echo -1 ;;
  esac
}
core_folders=(system settings sound link firmware surface sim window_logic)

# Folders above the surface that still know no window control ids.
without_surface() {
  case "$1" in
    sim) return 0 ;;
    *) return 1 ;;
  esac
}
all_folders=(system settings sound link firmware surface sim window_logic cli ui winui web)

check_tree() {
  local root=$1 bad=0 file folder line target dep
  for folder in "${all_folders[@]}"; do
    [ -d "$root/$folder" ] || continue
    while IFS= read -r file; do
      while IFS= read -r line; do
        target=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]*)".*/\1/' <<<"$line")
        [[ "$target" == */* ]] || continue
        dep=${target%%/*}
        [ "$(rank "$dep")" -ge 0 ] || continue
        [ "$dep" = "$folder" ] && continue
        if [ "$(rank "$dep")" -ge "$(rank "$folder")" ]; then
          echo "${file#"$root"/}: includes $target, which is not below $folder/" >&2
          bad=1
        elif [ "$dep" = surface ] && without_surface "$folder"; then
          echo "${file#"$root"/}: includes $target: $folder/ knows no control surface" >&2
          bad=1
        fi
      done < <(grep -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file")
    done < <(find "$root/$folder" -type f \( -name '*.cpp' -o -name '*.hpp' -o -name '*.h' \))
  done
  for folder in "${core_folders[@]}"; do
    [ -d "$root/$folder" ] || continue
    while IFS= read -r hit; do
      echo "${hit#"$root"/}: the core does not use Qt" >&2
      bad=1
    done < <(grep -rnE --include='*.cpp' --include='*.hpp' --include='*.h' \
      '^[[:space:]]*#[[:space:]]*include[[:space:]]*<Q' "$root/$folder")
    # Win32 only in a platform folder named win32/.
    while IFS= read -r hit; do
      [[ "$hit" == */win32/* ]] && continue
      echo "${hit#"$root"/}: Win32 belongs in a win32/ folder" >&2
      bad=1
    done < <(grep -rniE --include='*.cpp' --include='*.hpp' --include='*.h' \
      '^[[:space:]]*#[[:space:]]*include[[:space:]]*<(windows|winbase|winuser|windef|winreg|commctrl|commdlg|setupapi|shellapi|shlobj|devguid|initguid|mmsystem)\.h>' \
      "$root/$folder")
    # The browser's runtime only in a platform folder named web/.
    while IFS= read -r hit; do
      [[ "$hit" == */web/* ]] && continue
      echo "${hit#"$root"/}: Emscripten belongs in a web/ folder" >&2
      bad=1
    done < <(grep -rnE --include='*.cpp' --include='*.hpp' --include='*.h' \
      '^[[:space:]]*#[[:space:]]*include[[:space:]]*<emscripten' "$root/$folder")
  done
  return $bad
}

self_test() {
  local scratch failures=0
  scratch=$(mktemp -d)
  trap 'rm -rf "$scratch"' RETURN
  plant() {  # plant FILE LINE: a tree with one include that must be caught
    rm -rf "${scratch:?}"/*
    mkdir -p "$scratch/surface" "$scratch/settings" "$scratch/window_logic" "$scratch/link/win32" "$scratch/$(dirname "$1")"
    echo '#include "surface/control_ids.hpp"' >"$scratch/window_logic/ok.cpp"
    echo '#include "settings/settings_image.hpp"' >"$scratch/surface/ok.cpp"
    echo '#include <windows.h>' >"$scratch/link/win32/ok.cpp"
    echo "$2" >"$scratch/$1"
    if check_tree "$scratch" 2>/dev/null; then
      echo "not caught: $1: $2" >&2
      failures=1
    fi
  }
  plant settings/up.cpp '#include "window_logic/main_window.hpp"'
  plant settings/ids.hpp '#include "surface/control_ids.hpp"'
  plant sound/ids.cpp '#include "surface/control_surface.hpp"'
  plant system/ids.cpp '#include "surface/control_ids.hpp"'
  plant sim/ids.cpp '#include "surface/map_surface.hpp"'
  plant surface/up.hpp '#include "window_logic/main_window.hpp"'
  plant link/up.cpp '#include "firmware/upload.hpp"'
  plant link/ids.cpp '#include "surface/control_ids.hpp"'
  plant firmware/ids.hpp '#include "surface/control_ids.hpp"'
  plant sim/side.cpp '#include "window_logic/main_window.hpp"'
  plant system/up.cpp '#include "settings/settings_image.hpp"'
  plant sound/side.cpp '#include "link/link.hpp"'
  plant ui/side.cpp '#include "cli/cli.hpp"'
  plant firmware/qt.cpp '#include <QString>'
  plant window_logic/win.cpp '#include <Windows.h>'
  plant link/wasm.cpp '#include <emscripten.h>'
  plant web/side.cpp '#include "ui/main_dialog.hpp"'
  # The good tree itself passes.
  rm -rf "${scratch:?}"/*
  mkdir -p "$scratch/window_logic" "$scratch/ui" "$scratch/link/web" "$scratch/web"
  echo '#include "surface/control_ids.hpp"' >"$scratch/window_logic/ok.cpp"
  echo '#include <emscripten.h>' >"$scratch/link/web/ok.cpp"
  printf '#include "window_logic/keyer_commands.hpp"\n#include <emscripten.h>\n' >"$scratch/web/ok.cpp"
  printf '#include "window_logic/main_window.hpp"\n#include <QWidget>\n' >"$scratch/ui/ok.cpp"
  if ! check_tree "$scratch"; then
    echo "a good tree was refused" >&2
    failures=1
  fi
  [ $failures -eq 0 ] && echo "layer check: every planted include caught"
  return $failures
}

if [ "${1:-}" = "--self-test" ]; then
  self_test
  exit $?
fi
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
if check_tree "$root"; then
  echo "layers: no include climbs a layer"
else
  echo "layers: includes above climb a layer (see docs/architecture.md)" >&2
  exit 1
fi
