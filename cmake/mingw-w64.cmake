# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright (C) 2026 DP3tools maintainers
#
# Cross-builds DP3tools for 64-bit Windows with Debian's mingw-w64 (posix threads,
# so std::thread is there). Everything links statically: the programs need only
# the DLLs every Windows has.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(DP3_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${DP3_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${DP3_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${DP3_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${DP3_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# Windows 10 and later: CancelIoEx, the UTF-8 code page manifest.
set(CMAKE_CXX_FLAGS_INIT "-D_WIN32_WINNT=0x0A00 -DWINVER=0x0A00 -DUNICODE -D_UNICODE")
