# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright (C) 2026 DP3tools maintainers
#
# The C library's localtime_r is there when asked for.
add_compile_definitions(_POSIX_THREAD_SAFE_FUNCTIONS)
# The Windows build's libraries. CLI11 and nlohmann-json are headers only: the
# Debian copies serve, seen through a folder of their own so that the host's
# /usr/include (glibc's headers) never reaches the cross compiler. GoogleTest
# is built from Debian's source with the cross compiler.
set(DP3_HOST_HEADERS ${CMAKE_BINARY_DIR}/host-headers)
file(MAKE_DIRECTORY ${DP3_HOST_HEADERS})
foreach(dir CLI nlohmann)
  if(NOT EXISTS ${DP3_HOST_HEADERS}/${dir})
    file(CREATE_LINK /usr/include/${dir} ${DP3_HOST_HEADERS}/${dir} SYMBOLIC)
  endif()
endforeach()
add_library(CLI11::CLI11 INTERFACE IMPORTED)
target_include_directories(CLI11::CLI11 SYSTEM INTERFACE ${DP3_HOST_HEADERS})
add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
target_include_directories(nlohmann_json::nlohmann_json SYSTEM INTERFACE ${DP3_HOST_HEADERS})

if(DP3_TESTS)
  set(DP3_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources (Debian: googletest)")
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
  add_subdirectory(${DP3_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
endif()
