#!/usr/bin/env bash
# Builds Qt's base module for 64-bit Windows from Debian's own source of the
# Qt that the Linux build uses, with the mingw-w64 cross compiler, into a
# cache outside the tree. A second run finds the cache and does nothing while
# the version and options below are the ones it was built with.
#
# Prints the cache's path on its last line. With --cached it builds nothing
# and tells by its status whether the cache is there (0) or not (1).
set -euo pipefail

qt_version=6.4.2
cache="${KKTVIEW_QT_WINDOWS:-${XDG_CACHE_HOME:-$HOME/.cache}/kktview/qt-$qt_version-mingw64}"
host_prefix=/usr
host_cmake_dir=/usr/lib/x86_64-linux-gnu/cmake

# What the cache was built with; a change of any of these rebuilds it.
qt_options=(
    -DCMAKE_BUILD_TYPE=Release
    -DBUILD_SHARED_LIBS=ON
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF
    -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF
    -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF -DFEATURE_testlib=ON
    # The Windows platform plugin does not build without OpenGL, and does
    # not link without Direct2D (its DirectWrite font database needs it).
    -DFEATURE_opengl=ON -DINPUT_opengl=desktop
    # Debian's source leaves out the Wacom header the tablet code needs.
    -DFEATURE_tabletevent=OFF
    -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF
    -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_freetype=OFF
    -DFEATURE_system_libpng=OFF -DFEATURE_system_libjpeg=OFF
    -DFEATURE_zstd=OFF -DFEATURE_icu=OFF
    # What the program does not use, left out to shorten the build.
    -DFEATURE_xml=OFF
    -DFEATURE_gif=OFF -DFEATURE_jpeg=OFF -DFEATURE_ico=OFF
)
stamp_text="qtbase $qt_version mingw64 ${qt_options[*]}"

if [ -f "$cache/.kktview-stamp" ] && [ "$(cat "$cache/.kktview-stamp")" = "$stamp_text" ]; then
    echo "$cache"
    exit 0
fi
[ "${1:-}" != --cached ] || exit 1

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)

work="${KKTVIEW_QT_WINDOWS_WORK:-${XDG_CACHE_HOME:-$HOME/.cache}/kktview/qt-$qt_version-work}"
mkdir -p "$work"
cd "$work"

# The source: Debian's own package of the version the Linux build uses.
src_dir="$(find . -maxdepth 1 -type d -name "qt6-base-$qt_version*" | head -n 1)"
if [ -z "$src_dir" ]; then
    # Source packages come from the same mirror as the binary ones.
    if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src' /etc/apt/sources.list; then
        sed -e 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
            "${sudo_cmd[@]}" tee /etc/apt/sources.list.d/kktview-deb-src.sources >/dev/null
        "${sudo_cmd[@]}" apt-get update -qq
    fi
    apt-get source -qq --download-only "qt6-base=$qt_version*" >/dev/null 2>&1 || apt-get source -qq --download-only qt6-base
    dpkg-source -x qt6-base_*.dsc >/dev/null
    src_dir="$(find . -maxdepth 1 -type d -name "qt6-base-*" | head -n 1)"
fi
src_dir="$(cd "$src_dir" && pwd)"

# The toolchain file stays with the cache: Qt's own (bin/qt-cmake) loads it.
rm -rf "$cache"
mkdir -p "$cache"
toolchain="$cache/mingw64-toolchain.cmake"
cat >"$toolchain" <<'TOOLCHAIN'
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
TOOLCHAIN

build="$work/build"
rm -rf "$build"
mkdir -p "$build"
cmake -S "$src_dir" -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_INSTALL_PREFIX="$cache" \
    -DQT_HOST_PATH="$host_prefix" \
    -DQT_HOST_PATH_CMAKE_DIR="$host_cmake_dir" \
    "${qt_options[@]}" >"$work/configure.log" 2>&1 ||
    { tail -n 40 "$work/configure.log" >&2; exit 1; }
cmake --build "$build" --parallel "$(nproc)" >"$work/build.log" 2>&1 ||
    { tail -n 40 "$work/build.log" >&2; exit 1; }
cmake --install "$build" >"$work/install.log" 2>&1
printf '%s' "$stamp_text" >"$cache/.kktview-stamp"
echo "$cache"
