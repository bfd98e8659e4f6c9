#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright (C) 2026 DP3tools maintainers
#
# Prints the version, as project() in CMakeLists.txt has it (the one place it
# is written), for the scripts that name packages.
set -euo pipefail
cd "$(dirname "$0")/.."
version=$(sed -n 's/^project(dp3tools VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "version: no version in CMakeLists.txt" >&2; exit 1; }
echo "$version"
