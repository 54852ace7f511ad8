#!/usr/bin/env bash
# Builds Qt 6.4.2 for 64-bit Windows (Core, Gui, Widgets, Test, the windows platform and style
# plugins, Serial Port) with Debian's mingw-w64 and Debian's own Qt 6.4.2 as the host tools.
#   build-qt-mingw.sh PREFIX WORKDIR SERIALPORT_TARBALL
# qtbase is Debian's qt6-base 6.4.2+dfsg-10 source package (apt-get source: needs deb-src);
# Qt Serial Port is Qt's own v6.4.2 tag, as the archive has no source package for it.
# scripts/windows calls this once and keeps PREFIX in a cache keyed by this file's inputs.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
toolchain=$(cd "$here/../../cmake" && pwd)/mingw-w64-x86_64.cmake
prefix=${1:?usage: build-qt-mingw.sh PREFIX WORKDIR SERIALPORT_TARBALL}
work=${2:?usage: build-qt-mingw.sh PREFIX WORKDIR SERIALPORT_TARBALL}
serialport=$(realpath "${3:?usage: build-qt-mingw.sh PREFIX WORKDIR SERIALPORT_TARBALL}")
jobs=${JOBS:-2}

mkdir -p "$work"
cd "$work"
[ -d qt6-base-6.4.2+dfsg ] || apt-get source -q qt6-base=6.4.2+dfsg-10
rm -rf qtserialport-6.4.2
tar xf "$serialport"

# Tablet input is off because Debian removed the wintab headers; the bundled third-party
# libraries are used, as the Windows sysroot has none of them.
cmake -G Ninja -S qt6-base-6.4.2+dfsg -B build-qtbase \
  -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON \
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF \
  -DFEATURE_tabletevent=OFF \
  -DFEATURE_network=OFF -DFEATURE_sql=OFF -DFEATURE_dbus=OFF -DFEATURE_xml=OFF \
  -DFEATURE_concurrent=OFF -DFEATURE_printsupport=OFF -DINPUT_opengl=no \
  -DFEATURE_freetype=OFF -DFEATURE_jpeg=OFF -DFEATURE_zstd=OFF -DFEATURE_androiddeployqt=OFF \
  -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF \
  -DFEATURE_system_png=OFF -DFEATURE_system_doubleconversion=OFF \
  -DFEATURE_system_textmarkdownreader=OFF
ninja -C build-qtbase -j"$jobs"
ninja -C build-qtbase install

cmake -G Ninja -S qtserialport-6.4.2 -B build-serialport \
  -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_PREFIX_PATH="$prefix" \
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF
ninja -C build-serialport -j"$jobs"
ninja -C build-serialport install
