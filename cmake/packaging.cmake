# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright (C) 2026 DP3tools maintainers
#
# What the install puts where, and the Debian package CPack makes of it
# (scripts/package.sh): the programs, stripped, with the libraries they link
# declared by dpkg-shlibdeps; man pages, the changelog (made from CHANGELOG.md),
# the copyright file, the desktop entry, icons and the AppStream metainfo.
# Everything that names a version takes project()'s.
include(GNUInstallDirs)
install(TARGETS dp3 RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES README.md docs/trace-format.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
if(WIN32)
  return()  # the zip and the installer: scripts/package.sh
endif()

set(DP3_MAINTAINER "DP3tools maintainers <maintainers@dp3tools.org>")
set(DP3_HOMEPAGE "https://dp3tools.org/")
set(DP3_PACKAGE_FILES ${CMAKE_BINARY_DIR}/package-files)
set(DP3_RELEASE_NOTES ${PROJECT_SOURCE_DIR}/packaging/release-notes.sh)
set(DP3_PACKAGE_OUTPUTS)

# Man pages carry the version and are installed compressed, as Debian has them.
set(DP3_MAN_PAGES dp3)
if(TARGET dp3tools)
  list(APPEND DP3_MAN_PAGES dp3tools)
endif()
foreach(page IN LISTS DP3_MAN_PAGES)
  set(DP3_VERSION ${PROJECT_VERSION})
  configure_file(docs/${page}.1 ${DP3_PACKAGE_FILES}/${page}.1 @ONLY)
  add_custom_command(OUTPUT ${DP3_PACKAGE_FILES}/${page}.1.gz
    COMMAND gzip -9n -c ${page}.1 > ${page}.1.gz
    WORKING_DIRECTORY ${DP3_PACKAGE_FILES}
    DEPENDS ${DP3_PACKAGE_FILES}/${page}.1)
  list(APPEND DP3_PACKAGE_OUTPUTS ${DP3_PACKAGE_FILES}/${page}.1.gz)
  install(FILES ${DP3_PACKAGE_FILES}/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

# The package's changelog. The version has no Debian revision (this project
# makes its own package), so Debian calls it native and wants changelog.gz.
add_custom_command(OUTPUT ${DP3_PACKAGE_FILES}/changelog.gz
  COMMAND ${DP3_RELEASE_NOTES} debian ${PROJECT_SOURCE_DIR}/CHANGELOG.md ${PROJECT_VERSION}
          ${DP3_MAINTAINER} > changelog
  COMMAND gzip -9n -f changelog
  WORKING_DIRECTORY ${DP3_PACKAGE_FILES}
  DEPENDS CHANGELOG.md ${DP3_RELEASE_NOTES}
  VERBATIM)
list(APPEND DP3_PACKAGE_OUTPUTS ${DP3_PACKAGE_FILES}/changelog.gz)
install(FILES ${DP3_PACKAGE_FILES}/changelog.gz packaging/copyright
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The software centres' entry, for the window.
if(TARGET dp3tools)
  set(DP3_METAINFO org.dp3tools.dp3tools.metainfo.xml)
  add_custom_command(OUTPUT ${DP3_PACKAGE_FILES}/${DP3_METAINFO}
    COMMAND ${DP3_RELEASE_NOTES} appstream ${PROJECT_SOURCE_DIR}/CHANGELOG.md ${PROJECT_VERSION}
            ${PROJECT_SOURCE_DIR}/packaging/${DP3_METAINFO}.in > ${DP3_METAINFO}
    WORKING_DIRECTORY ${DP3_PACKAGE_FILES}
    DEPENDS CHANGELOG.md packaging/${DP3_METAINFO}.in ${DP3_RELEASE_NOTES}
    VERBATIM)
  list(APPEND DP3_PACKAGE_OUTPUTS ${DP3_PACKAGE_FILES}/${DP3_METAINFO})
  install(FILES ${DP3_PACKAGE_FILES}/${DP3_METAINFO} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()
add_custom_target(package_files ALL DEPENDS ${DP3_PACKAGE_OUTPUTS})

# The Debian package.
set(CPACK_PACKAGE_NAME dp3tools)
set(CPACK_PACKAGE_VENDOR "DP3tools")
set(CPACK_PACKAGE_CONTACT "${DP3_MAINTAINER}")
set(CPACK_PACKAGE_HOMEPAGE_URL "${DP3_HOMEPAGE}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configuration tool for Ditpulse 3 Morse keyers")
# Wrapped as Debian wants it: lines within 80 columns, paragraphs apart.
file(READ packaging/description.txt CPACK_DEBIAN_PACKAGE_DESCRIPTION)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION hamradio)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
if(TARGET dp3tools)
  # The window needs a platform plugin (X11, Wayland), which Qt only recommends.
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
endif()
# A cross-build is packed for the system it was built for.
if(CMAKE_CROSSCOMPILING AND CMAKE_SYSTEM_PROCESSOR STREQUAL "aarch64")
  set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE arm64)
endif()
include(CPack)
