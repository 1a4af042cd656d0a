# SPDX-License-Identifier: GPL-2.0-or-later
# The Debian package: `cpack -G DEB` in a tree configured with the prefix /usr (scripts/package
# does both). Dependencies are computed from the executables with dpkg-shlibdeps.
set(QOR_PACKAGE_MAINTAINER "qorcfg51 developers <qorcfg51@users.noreply.github.com>"
  CACHE STRING "Maintainer field of the Debian package")

# The package's documents: the copyright file and the Debian changelog every package carries.
# The changelog's date is the release's, not the build's, so the package is reproducible.
execute_process(COMMAND date -u -R -d "${QOR_RELEASE_DATE}"
                OUTPUT_VARIABLE QOR_RELEASE_DATE_RFC2822 OUTPUT_STRIP_TRAILING_WHITESPACE)
set(docs "${PROJECT_BINARY_DIR}/packaging")
configure_file(${CMAKE_CURRENT_LIST_DIR}/copyright "${docs}/copyright" @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/changelog.in "${docs}/changelog" @ONLY)
add_custom_command(OUTPUT "${docs}/changelog.gz"
  COMMAND gzip -9nkf "${docs}/changelog"
  DEPENDS "${docs}/changelog"
  VERBATIM)
add_custom_target(qor_package_docs ALL DEPENDS "${docs}/changelog.gz")
install(FILES "${docs}/copyright" "${docs}/changelog.gz" DESTINATION ${CMAKE_INSTALL_DOCDIR})

# Files below /etc are the administrator's: dpkg keeps their changes (conffiles).
set(conffiles "")
if(IS_ABSOLUTE "${QOR_AUTOSTART_DIR}" AND QOR_AUTOSTART_DIR MATCHES "^/etc/")
  set(conffiles "${QOR_AUTOSTART_DIR}/io.github.qorcfg51.corvnmon.desktop\n")
endif()
file(WRITE "${docs}/conffiles" "${conffiles}")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME qorcfg51)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${QOR_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configuration utility for a USB gaming mouse")
# The extended description below the summary; CPack indents it and marks the empty line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "qorcfg51 sets, for each of five profiles, what the mouse buttons do (clicks,
keys, key combinations, shortcuts, media keys, rapid fire, recorded macros),
the CPI levels, the report rate, the LED and the desktop pointer settings, and
uploads the current profile into the mouse.

The package holds the window (qorcfg51), a command line tool (qorcfg51-ctl), a
virtual mouse for trying it out (qorcfg51-sim), the translators' tool
(qorcfg51-lang), the companion monitor (corvnmon) and the udev rules that give
the user at the seat access to the mouse.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${QOR_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's platform plugins are not a library the programs link: without them there is no window.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "hicolor-icon-theme")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
  "${docs}/conffiles;${CMAKE_CURRENT_LIST_DIR}/postinst;${CMAKE_CURRENT_LIST_DIR}/postrm")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
# Installs into the package's staging tree, also for the absolute /etc destinations.
set(CPACK_SET_DESTDIR ON)
set(CPACK_PACKAGING_INSTALL_PREFIX "${CMAKE_INSTALL_PREFIX}")
include(CPack)
