# What a Windows installation holds beside the programs, and the two packages CPack makes of it:
# a portable zip and an NSIS installer. Included from packaging.cmake for Windows builds only.
#
# Everything lies in one folder: a Windows program finds its DLLs beside itself, Qt finds its
# plugins in platforms/ and styles/ there, and the settings layer keeps pravix.ini beside the
# programs when that folder can be written (the unpacked zip), else per user (Program Files).

# The Qt libraries and plugins the programs load, from the Qt they were built against.
set(pravix_qt_modules Core Gui Widgets SerialPort)
foreach(module IN LISTS pravix_qt_modules)
  install(FILES $<TARGET_FILE:Qt6::${module}> DESTINATION .)
endforeach()
install(FILES $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin> DESTINATION platforms)
install(FILES $<TARGET_FILE:Qt6::QWindowsVistaStylePlugin> DESTINATION styles)

# The compiler's runtime, which mingw-w64 links dynamically.
if(MINGW)
  include(${PROJECT_SOURCE_DIR}/cmake/mingwruntime.cmake)
  install(FILES ${PRAVIX_RUNTIME_DLLS} DESTINATION .)
endif()

# Qt is used under the LGPL 3.0, which stands on the GPL 3.0: both texts, and where Qt's source
# is, so that a user can rebuild and replace the Qt DLLs.
install(FILES ${CMAKE_CURRENT_LIST_DIR}/qt-licences/LGPL-3.0-only.txt
              ${CMAKE_CURRENT_LIST_DIR}/qt-licences/GPL-3.0-only.txt
              ${CMAKE_CURRENT_LIST_DIR}/QT-SOURCE.txt
        DESTINATION licences/qt)

# ZIP: PravixApp-<version>-win64.zip, one folder of that name inside. NSIS:
# PravixApp-<version>-win64-setup.exe; the file name per generator is set in cpackoptions.cmake.
set(CPACK_GENERATOR ZIP NSIS)
set(CPACK_PACKAGE_FILE_NAME "PravixApp-${PROJECT_VERSION}-win64")
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/cpackoptions.cmake)
set(CPACK_PACKAGE_INSTALL_DIRECTORY PravixApp)
set(CPACK_PACKAGE_EXECUTABLES pravixapp PravixApp)
set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
set(CPACK_NSIS_PACKAGE_NAME "PravixApp ${PROJECT_VERSION}")
set(CPACK_NSIS_DISPLAY_NAME "PravixApp ${PROJECT_VERSION}")
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_INSTALLED_ICON_NAME pravixapp.exe)
set(CPACK_NSIS_MUI_ICON ${PROJECT_SOURCE_DIR}/widgets/icons/pravixapp.ico)
set(CPACK_NSIS_MUI_UNIICON ${PROJECT_SOURCE_DIR}/widgets/icons/pravixapp.ico)
# The uninstaller removes what was installed, and nothing else: each user's pravix.ini under
# the local application data folder stays.
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/packaging/copyright)
