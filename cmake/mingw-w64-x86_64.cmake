# Cross-building for 64-bit Windows with Debian's mingw-w64 (posix threads, which Qt's
# std::thread users need). Used for Qt itself (packaging/windows/build-qt-mingw.sh) and for this
# project (scripts/windows), with the Windows Qt's prefix in CMAKE_PREFIX_PATH.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER   x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER  x86_64-w64-mingw32-windres)

# Only the Windows sysroot and the Windows Qt are searched: the Linux host's zlib, freetype or
# Qt must never end up in a Windows program.
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 ${CMAKE_PREFIX_PATH})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# moc, uic and rcc run on the build machine: Debian's own Qt 6 of the same release.
set(QT_HOST_PATH /usr CACHE PATH "Qt for the build machine (moc, uic, rcc)")
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake CACHE PATH
    "CMake packages of the build machine's Qt")
