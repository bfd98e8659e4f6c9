# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright (C) 2026 DP3tools maintainers
#
# What the Windows programs' resources take from the project: the version of
# project(), for the version blocks, the manifests and the dialog captions.
# The resource compiler finds the generated files on its include path, before
# the sources' own folders.
set(DP3_WIN32_GENERATED ${CMAKE_BINARY_DIR}/win32-resources)
set(DP3_VERSION_PATCH 0)
if(PROJECT_VERSION_PATCH)
  set(DP3_VERSION_PATCH ${PROJECT_VERSION_PATCH})
endif()
set(DP3_VERSION_QUAD ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${DP3_VERSION_PATCH}.0)
file(CONFIGURE OUTPUT ${DP3_WIN32_GENERATED}/dp3_version.h @ONLY CONTENT [[
// Made by CMake from project()'s version.
#define DP3_VERSION_TEXT "@PROJECT_VERSION@"
#define DP3_VERSION_NUMBERS @PROJECT_VERSION_MAJOR@, @PROJECT_VERSION_MINOR@, @DP3_VERSION_PATCH@, 0
]])
configure_file(${PROJECT_SOURCE_DIR}/resources/win32/dp3tools.manifest.in
               ${DP3_WIN32_GENERATED}/dp3tools.manifest @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/cli/win32/dp3.manifest.in ${DP3_WIN32_GENERATED}/dp3.manifest
               @ONLY)
include_directories(BEFORE $<$<COMPILE_LANGUAGE:RC>:${DP3_WIN32_GENERATED}>)
# windres names no dependencies: a .rc's object lists these itself.
set(DP3_WIN32_VERSION_FILES ${DP3_WIN32_GENERATED}/dp3_version.h
    ${PROJECT_SOURCE_DIR}/resources/win32/version_info.rc ${PROJECT_SOURCE_DIR}/resources/win32/dp3tools.ico)
