#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Prepares what the Windows build needs on this Debian machine: the mingw-w64
# compilers, Debian's Qt host tools (moc, rcc, uic), Wine for the tests, and
# Qt 6.4.2 cross-built for mingw-w64 in build-windows-sdk/qt6-mingw.
#
# The Qt is unpacked from the shared archive beside the checkout
# (../shared/windows/qt6.4.2-*.tar.xz) when it is there; otherwise it is
# built from Debian's own qt6-base source (about 35 minutes on 2 cores).
# Prints nothing more once the Qt is in place.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/packages.sh

readonly qt_version=6.4.2
readonly qt_debian_version=6.4.2+dfsg-10
readonly sdk_dir=$PWD/build-windows-sdk
readonly qt_dir=$sdk_dir/qt6-mingw
shared_dir=$(dirname "$PWD")/shared/windows
readonly shared_dir

ensure_packages g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 qt6-base-dev qt6-base-dev-tools \
  cmake ninja-build xz-utils wine64 wine

# The version a Qt installation says it is, empty where there is none.
qt_version_of() {
  sed -n 's/^set(PACKAGE_VERSION "\(.*\)")$/\1/p' "$1/lib/cmake/Qt6/Qt6ConfigVersionImpl.cmake" 2>/dev/null
}

[ "$(qt_version_of "$qt_dir")" = "$qt_version" ] && exit 0
rm -rf "$qt_dir"
mkdir -p "$sdk_dir"

archives=("$shared_dir/qt$qt_version-"*.tar.xz)
archive=${archives[0]}
if [ -f "$archive" ]; then
  echo "Unpacking Qt $qt_version for mingw-w64 from $archive"
  tar -xJf "$archive" -C "$sdk_dir"
  if [ "$(qt_version_of "$qt_dir")" = "$qt_version" ]; then exit 0; fi
  echo "$archive holds Qt $(qt_version_of "$qt_dir"), not $qt_version: building it instead" >&2
  rm -rf "$qt_dir"
fi

# From Debian's source. apt-get source needs a deb-src entry; one for
# bookworm's main is added where the machine has none.
echo "Building Qt $qt_version for mingw-w64 from Debian's qt6-base source (about 35 minutes)"
ensure_packages gcc-mingw-w64-x86-64-posix dpkg-dev
sudo=""
[ "$(id -u)" -ne 0 ] && sudo=sudo
if ! grep -rqsE '^(deb-src|Types:.*deb-src)' /etc/apt/sources.list /etc/apt/sources.list.d/; then
  $sudo tee /etc/apt/sources.list.d/debian-bookworm-src.sources >/dev/null <<'SOURCES'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
  $sudo apt-get update -qq
fi

work=$sdk_dir/qtbase-work
src=$work/qtbase-everywhere-src-$qt_version
mkdir -p "$work"
if [ ! -d "$src" ]; then
  (cd "$work" && apt-get source --download-only "qt6-base=$qt_debian_version")
  tar -xJf "$work/qt6-base_$qt_version+dfsg.orig.tar.xz" -C "$work"
fi
# Qt 6.4.2's windows plug-in asks for dynamic OpenGL without checking that
# OpenGL is built at all; this Qt has no OpenGL.
sed -i 's/^#if QT_CONFIG(dynamicgl)$/#if QT_CONFIG(dynamicgl) \&\& QT_CONFIG(opengl)/' \
  "$src/src/plugins/platforms/windows/qwindowswindow.cpp"

# Qt's own build takes the same compilers and search rules as the program's.
toolchain=$PWD/cmake/mingw-w64-x86_64.cmake
export PKG_CONFIG_LIBDIR=/nonexistent
# Debian's source leaves out the tablet header (src/3rdparty/wintab) that the
# windows plug-in includes for tablet events: they are off.
cmake -G Ninja -S "$src" -B "$work/build" \
  -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DCMAKE_INSTALL_PREFIX="$qt_dir" -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON \
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
  -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_printsupport=OFF \
  -DFEATURE_concurrent=OFF -DFEATURE_xml=ON -DFEATURE_opengl=OFF -DFEATURE_vulkan=OFF \
  -DFEATURE_pkg_config=OFF -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF \
  -DFEATURE_system_jpeg=OFF -DFEATURE_system_freetype=OFF -DFEATURE_system_harfbuzz=OFF \
  -DFEATURE_system_pcre2=OFF -DFEATURE_system_doubleconversion=OFF \
  -DFEATURE_icu=OFF -DFEATURE_zstd=OFF \
  -DFEATURE_tabletevent=OFF \
  >"$work/configure.log" 2>&1 || { tail -n 40 "$work/configure.log" >&2; exit 1; }
cmake --build "$work/build" -j"${LMX_JOBS:-2}" >"$work/build.log" 2>&1 ||
  { grep -m 5 -B 2 -A 8 'error' "$work/build.log" >&2; exit 1; }
cmake --install "$work/build" >"$work/install.log" 2>&1
# Qt's own toolchain file (qt-cmake) loads a toolchain file beside the folder,
# so that the folder can be moved.
cp "$toolchain" "$qt_dir/toolchain-x86_64-w64-mingw32.cmake"
sed -i "s|set(__qt_initially_configured_toolchain_file \"$toolchain\")|set(__qt_initially_configured_toolchain_file \"\${CMAKE_CURRENT_LIST_DIR}/../../../toolchain-x86_64-w64-mingw32.cmake\")|" \
  "$qt_dir/lib/cmake/Qt6/qt.toolchain.cmake"
[ "$(qt_version_of "$qt_dir")" = "$qt_version" ]
rm -rf "$work"
echo "Qt $qt_version for mingw-w64 built into $qt_dir"
