#!/usr/bin/env bash
# Builds kktview and its test suite for Windows (scripts/build-windows.sh)
# and tests them under wine:
#   1. the test suite, each program under wine with Qt's offscreen platform;
#   2. the portable zip, unpacked into an empty folder with no Qt on wine's
#      path: the window with the windows platform under Xvfb opens a file
#      given as its argument, takes typing, saves it byte-exact and closes;
#   3. the installer: installs for the user without administrator rights,
#      and its uninstaller leaves nothing behind.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="${KKTVIEW_WINDOWS_OUT:-$root/build-windows}"
export WINEDEBUG=-all
# A wine prefix of the tests' own, never the user's.
export WINEPREFIX="${KKTVIEW_WINEPREFIX:-$out/wineprefix}"

KKTVIEW_WINDOWS_TESTS=ON "$root/scripts/build-windows.sh"
version="$(sed -n 's/^project(kktview VERSION \([0-9.]*\) .*/\1/p' "$root/CMakeLists.txt")"
name="kktview-$version-win64"

if [ ! -d "$WINEPREFIX" ]; then
    wineboot --init >/dev/null 2>&1 || true
    wineserver -w
fi

echo "== The test suite under wine"
ctest --test-dir "$out/program" --output-on-failure --timeout 600

work="$(mktemp -d)"
trap 'kill "${xvfb_pid:-0}" "${wm_pid:-0}" 2>/dev/null || true; rm -rf "$work"' EXIT

echo "== The portable zip from an empty folder, the window under Xvfb"
unzip -q "$out/$name.zip" -d "$work"
folder="$work/$name"
printf 'ABC\r\n\x98\x00\xff' >"$work/sample.bin"
display=":$((90 + RANDOM % 100))"
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
sleep 1
DISPLAY="$display" openbox >/dev/null 2>&1 &
wm_pid=$!
sleep 1
# No Qt or compiler DLLs on wine's path: the folder must carry them all.
DISPLAY="$display" WINEPATH="" wine "$folder/kktview.exe" "Z:$work/sample.bin" >/dev/null 2>&1 &
program=$!
window=""
for _ in $(seq 1 120); do
    window="$(DISPLAY="$display" xdotool search --name "Просмотр бинарных файлов" 2>/dev/null | head -n 1 || true)"
    [ -n "$window" ] && break
    sleep 0.5
done
[ -n "$window" ] || { echo "the window did not open" >&2; exit 1; }
title="$(DISPLAY="$display" xdotool getwindowname "$window")"
echo "window: $title"
[ "$title" = "Просмотр бинарных файлов" ] || { echo "unexpected title: $title" >&2; exit 1; }
sleep 2
DISPLAY="$display" import -window root "$out/windows-window.png"
# Typing at the start of the document, saving it under a new name in the
# program's own Save dialog (Ctrl+S), then Alt+F4.
DISPLAY="$display" xdotool windowactivate --sync "$window" key ctrl+Home type "xy"
sleep 0.5
DISPLAY="$display" xdotool key ctrl+s
dialog=""
for _ in $(seq 1 40); do
    active="$(DISPLAY="$display" xdotool getactivewindow 2>/dev/null || true)"
    if [ -n "$active" ] && [ "$active" != "$window" ]; then
        dialog="$active"
        break
    fi
    sleep 0.5
done
[ -n "$dialog" ] || { echo "the Save dialog did not open" >&2; exit 1; }
sleep 1
DISPLAY="$display" import -window root "$out/windows-save-dialog.png"
# The name field holds the document's name, selected: typing replaces it.
DISPLAY="$display" xdotool type --delay 50 "saved.bin"
DISPLAY="$display" xdotool key Return
for _ in $(seq 1 40); do
    [ -f "$work/saved.bin" ] && break
    sleep 0.5
done
sleep 1
DISPLAY="$display" import -window root "$out/windows-saved.png"
DISPLAY="$display" xdotool windowactivate --sync "$window" key alt+F4
for _ in $(seq 1 60); do
    kill -0 "$program" 2>/dev/null || break
    sleep 0.5
done
if kill -0 "$program" 2>/dev/null; then
    echo "the window did not close" >&2
    exit 1
fi
expected="$(printf 'xyABC\r\n\x98\x00\xff' | xxd -p)"
got="$(xxd -p "$work/saved.bin" 2>/dev/null || true)"
[ "$got" = "$expected" ] || { echo "saved bytes differ: $got, expected $expected" >&2; exit 1; }
[ "$(xxd -p "$work/sample.bin")" = "$(printf 'ABC\r\n\x98\x00\xff' | xxd -p)" ] ||
    { echo "the opened file changed" >&2; exit 1; }
echo "saved byte-exact"

echo "== The installer, for the user, and its uninstaller"
local_app_data="$(wine cmd /c 'echo %LOCALAPPDATA%' 2>/dev/null | tr -d '\r')"
install_dir="$(winepath -u "$local_app_data\\Programs\\kktview")"
wine "$out/$name-setup.exe" /S
wineserver -w
[ -f "$install_dir/kktview.exe" ] || { echo "not installed in $install_dir" >&2; exit 1; }
wine reg query 'HKCU\Software\Classes\Applications\kktview.exe\shell\open\command' >/dev/null
WINEPATH="" wine "$install_dir/kktview.com" --version
wine "$install_dir/uninstall.exe" /S
wineserver -w
sleep 2
wineserver -w
if [ -e "$install_dir" ]; then
    echo "left behind after uninstalling:" >&2
    find "$install_dir" >&2
    exit 1
fi
if wine reg query 'HKCU\Software\Classes\Applications\kktview.exe' >/dev/null 2>&1; then
    echo "the registry keeps the program's keys after uninstalling" >&2
    exit 1
fi
echo "installed and uninstalled"
echo "Windows tests passed"
