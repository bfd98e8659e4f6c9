# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright (C) 2026 DP3tools maintainers
#
# The core's sources for the browser beyond its web/ folders. Emscripten's C
# library is POSIX over a file system in memory, so a posix/ file serves the
# page too unless a web/ file of the same name replaces it. Pseudo-terminals
# cannot exist in a page.
set(DP3_WEB_CANNOT_EXIST sim/posix/pty_keyer.cpp)
foreach(folder IN LISTS DP3_CORE_FOLDERS)
  file(GLOB posix_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${folder}/posix/*.cpp)
  foreach(source IN LISTS posix_sources)
    get_filename_component(name ${source} NAME)
    file(RELATIVE_PATH relative ${CMAKE_SOURCE_DIR} ${source})
    if(NOT EXISTS ${CMAKE_SOURCE_DIR}/${folder}/web/${name}
       AND NOT relative IN_LIST DP3_WEB_CANNOT_EXIST)
      list(APPEND DP3_CORE_SOURCES ${source})
    endif()
  endforeach()
endforeach()
