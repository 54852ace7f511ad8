# Desktop integration and the Debian package: the files an installation adds beside the
# programs, and how CPack packs them. Included from the top level before the programs, which
# take the application ID and the install folders from here.

# On Windows the programs, their DLLs and documents share one folder (packaging/windows/). Qt's
# own CMake files include GNUInstallDirs before this file, so its cache entries hold the Unix
# folders already: plain variables take their place.
if(WIN32)
  set(CMAKE_INSTALL_BINDIR .)
  set(CMAKE_INSTALL_DOCDIR .)
endif()
include(GNUInstallDirs)
# Debian keeps a package's documents under the package's name, which is lower case. A folder
# given when configuring (-DCMAKE_INSTALL_DOCDIR=...) is kept.
if(NOT WIN32 AND "$CACHE{CMAKE_INSTALL_DOCDIR}" STREQUAL "")
  set(CMAKE_INSTALL_DOCDIR "${CMAKE_INSTALL_DATAROOTDIR}/doc/pravixapp")
  GNUInstallDirs_get_absolute_install_dir(CMAKE_INSTALL_FULL_DOCDIR CMAKE_INSTALL_DOCDIR DOCDIR)
endif()

# The name the desktop entry and the AppStream data go by (a reverse domain name).
set(PRAVIX_APP_ID "org.pravixapp.PravixApp")
# The day the release named by the project version came out.
set(PRAVIX_RELEASE_DATE "2026-12-07")
set(PRAVIX_PACKAGE_MAINTAINER "PravixApp maintainers <maintainers@pravixapp.example>"
    CACHE STRING "Maintainer of the Debian package, as: name <address>")

set(PRAVIX_PACKAGING_DIR ${CMAKE_BINARY_DIR}/packaging)
configure_file(${CMAKE_CURRENT_LIST_DIR}/pravixapp.desktop.in
               ${PRAVIX_PACKAGING_DIR}/${PRAVIX_APP_ID}.desktop @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/pravixapp.metainfo.xml.in
               ${PRAVIX_PACKAGING_DIR}/${PRAVIX_APP_ID}.metainfo.xml @ONLY)

# The desktop entry, AppStream data and icons of a freedesktop desktop.
if(UNIX)
  install(FILES ${PRAVIX_PACKAGING_DIR}/${PRAVIX_APP_ID}.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${PRAVIX_PACKAGING_DIR}/${PRAVIX_APP_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(FILES ${PROJECT_SOURCE_DIR}/widgets/icons/pravixapp.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/32x32/apps)
  install(FILES ${PROJECT_SOURCE_DIR}/widgets/icons/pravixapp.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${CMAKE_CURRENT_LIST_DIR}/copyright
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

if(UNIX)
  # Manual page and changelog are installed compressed, without a name or time stamp inside,
  # so that the same sources give the same package.
  find_program(PRAVIX_GZIP gzip REQUIRED)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/pravixapp.1.in ${PRAVIX_PACKAGING_DIR}/pravixapp.1 @ONLY)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/pravixctl.1.in ${PRAVIX_PACKAGING_DIR}/pravixctl.1 @ONLY)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/changelog.in ${PRAVIX_PACKAGING_DIR}/changelog @ONLY)
  add_custom_command(
    OUTPUT ${PRAVIX_PACKAGING_DIR}/pravixapp.1.gz ${PRAVIX_PACKAGING_DIR}/pravixctl.1.gz
           ${PRAVIX_PACKAGING_DIR}/changelog.gz
    COMMAND ${PRAVIX_GZIP} -9 -n -f -k pravixapp.1 pravixctl.1 changelog
    WORKING_DIRECTORY ${PRAVIX_PACKAGING_DIR}
    DEPENDS ${PRAVIX_PACKAGING_DIR}/pravixapp.1 ${PRAVIX_PACKAGING_DIR}/pravixctl.1
            ${PRAVIX_PACKAGING_DIR}/changelog
    VERBATIM)
  add_custom_target(pravix_compressed_docs ALL
    DEPENDS ${PRAVIX_PACKAGING_DIR}/pravixapp.1.gz ${PRAVIX_PACKAGING_DIR}/pravixctl.1.gz
            ${PRAVIX_PACKAGING_DIR}/changelog.gz)
  install(FILES ${PRAVIX_PACKAGING_DIR}/pravixapp.1.gz ${PRAVIX_PACKAGING_DIR}/pravixctl.1.gz
          DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${PRAVIX_PACKAGING_DIR}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()

# cpack -G DEB: pravixapp_<version>_<architecture>.deb, its dependencies found by dpkg-shlibdeps.
set(CPACK_PACKAGE_NAME pravixapp)
set(CPACK_PACKAGE_VENDOR "The PravixApp developers")
set(CPACK_PACKAGE_CONTACT "${PRAVIX_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
# Debian shows the long description as it is: lines of at most 79 characters.
set(CPACK_PACKAGE_DESCRIPTION
"PravixApp drives a Pravix display, a module with two lines of 16 characters
that answers as a Modbus RTU slave on a serial line. From its main window a
technician chooses the port, baud rate, character format and RTS control for
half-duplex RS-485 adapters, and sends single write requests (functions 05, 06
and 16); every request and the display's answer are shown as hexadecimal bytes.

A second window uploads the display's whole set-up: slave ID, baud rate, data
format, six stored messages, two numeric fields and the start-up screen of
each line.

pravixctl sends the same requests and uploads from a shell, for scripts and
production lines: a profile file for the set-up, exit statuses by outcome,
JSON Lines output and repeated exchanges with a summary.

The package also holds pravix-lcd-sim, a simulated display on a
pseudo-terminal, for trying the program without hardware.")
set(CPACK_STRIP_FILES ON)
if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
  set(CPACK_GENERATOR DEB)
elseif(WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/windows/windows.cmake)
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
# Metric-compatible Tahoma, so that the windows' captions fit their fixed sizes.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS fonts-wine)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)
