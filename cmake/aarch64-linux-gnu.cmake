# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright (C) 2026 DP3tools maintainers
#
# Cross-builds DP3tools for 64-bit ARM Linux (Raspberry Pi OS, Debian arm64)
# with Debian's aarch64 toolchain and its multiarch libraries
# (scripts/install-deps.sh --arm64). Qt's moc, uic and rcc run from the host's
# Qt; the programs and tests run here under qemu-aarch64.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)

set(DP3_CROSS_TRIPLET aarch64-linux-gnu)
set(CMAKE_C_COMPILER ${DP3_CROSS_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${DP3_CROSS_TRIPLET}-g++)
set(CMAKE_STRIP ${DP3_CROSS_TRIPLET}-strip CACHE FILEPATH "")
# Multiarch: the arm64 libraries sit in /usr/lib/aarch64-linux-gnu beside the
# host's, their headers in /usr/include/aarch64-linux-gnu.
set(CMAKE_LIBRARY_ARCHITECTURE ${DP3_CROSS_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)

# The host's Qt tools (qt6-base-dev-tools is Multi-Arch: foreign).
set(QT_HOST_PATH /usr CACHE PATH "")
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake CACHE PATH "")

# Programs built here run under the user-mode emulator, with the multiarch
# arm64 loader and libraries (libc6:arm64). Not with -L /usr/aarch64-linux-gnu:
# that loader is the cross toolchain's, of another build than the multiarch C
# library it would load, and threads hang.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64)
