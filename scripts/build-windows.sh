#!/usr/bin/env bash
# Builds kktview for 64-bit Windows on Debian 12 and writes to build-windows/:
#   kktview-VERSION-win64.zip        a portable folder: unpack and run kktview.exe
#   kktview-VERSION-win64-setup.exe  an installer for the current user, no
#                                    administrator rights needed
# Installs what is missing, builds Qt for Windows once into
# ~/.cache/kktview/qt-6.4.2-mingw64 (40 to 60 minutes the first time on two
# cores; reused after), then the program with it.
# KKTVIEW_WINDOWS_TESTS=ON builds the test suite too (scripts/test-windows.sh),
# KKTVIEW_WINDOWS_BENCH=ON the window benchmarks (bench/wine.sh).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="${KKTVIEW_WINDOWS_OUT:-$root/build-windows}"

"$root/scripts/windows/setup.sh"
qt="$("$root/scripts/windows/build-qt.sh" | tail -n 1)"
echo "Qt for Windows: $qt"
# Qt's Russian texts where that Qt looks for them too, for the suites run
# from the build tree (the folders get them beside the program).
mkdir -p "$qt/translations"
cp /usr/share/qt6/translations/qtbase_ru.qm "$qt/translations/"

version="$(sed -n 's/^project(kktview VERSION \([0-9.]*\) .*/\1/p' "$root/CMakeLists.txt")"
build="$out/program"
"$qt/bin/qt-cmake" -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DBUILD_TESTING="${KKTVIEW_WINDOWS_TESTS:-OFF}" -DKKTVIEW_BENCH="${KKTVIEW_WINDOWS_BENCH:-OFF}" \
    -DKKTVIEW_WERROR=ON \
    -DCMAKE_CROSSCOMPILING_EMULATOR=wine >"$out.configure.log" 2>&1 ||
    { cat "$out.configure.log" >&2; exit 1; }
rm -f "$out.configure.log"
cmake --build "$build" --parallel "$(nproc)"

# The portable folder: everything the program loads, and nothing from the
# build machine's paths.
name="kktview-$version-win64"
stage="$out/$name"
rm -rf "$stage"
mkdir -p "$stage/platforms" "$stage/styles" "$stage/translations"
cp "$build/app/kktview.exe" "$build/app/kktview.com" "$stage/"
for dll in Qt6Core Qt6Gui Qt6Widgets; do
    cp "$qt/bin/$dll.dll" "$stage/"
done
cp "$qt/plugins/platforms/qwindows.dll" "$stage/platforms/"
cp "$qt/plugins/styles/qwindowsvistastyle.dll" "$stage/styles/"
runtime=/usr/lib/gcc/x86_64-w64-mingw32/12-posix
cp "$runtime/libstdc++-6.dll" "$runtime/libgcc_s_seh-1.dll" \
    /usr/x86_64-w64-mingw32/lib/libwinpthread-1.dll "$stage/"
cp /usr/share/qt6/translations/qtbase_ru.qm "$stage/translations/"
# Plugins and translations beside the program, wherever the folder is.
printf '[Paths]\r\nPrefix = .\r\nPlugins = .\r\nTranslations = translations\r\n' >"$stage/qt.conf"
sed 's/$/\r/' "$root/README.md" >"$stage/README.txt"
sed 's/$/\r/' "$root/LICENSE" >"$stage/LICENSE.txt"
cp "$root/data/icons/kktview.ico" "$stage/"
x86_64-w64-mingw32-strip --strip-unneeded "$stage"/*.exe "$stage"/kktview.com

# Every DLL a shipped file imports is shipped or is the system's own.
"$root/scripts/windows/check-imports.sh" "$stage"

rm -f "$out/$name.zip"
(cd "$out" && zip -qr9X "$name.zip" "$name")
echo "$out/$name.zip"

# The installer takes the same folder; the uninstaller removes just its files.
{
    (cd "$stage" && find . -type f | sort -r) | while read -r file; do
        file="${file#./}"
        printf 'Delete "$INSTDIR\\%s"\n' "${file//\//\\}"
    done
    (cd "$stage" && find . -mindepth 1 -type d | sort -r) | while read -r dir; do
        dir="${dir#./}"
        printf 'RMDir "$INSTDIR\\%s"\n' "${dir//\//\\}"
    done
} >"$out/uninstall-files.nsh"
makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DSOURCE="$stage" \
    -DOUTFILE="$out/$name-setup.exe" "$root/cmake/windows/kktview.nsi"
echo "$out/$name-setup.exe"
