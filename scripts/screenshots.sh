#!/usr/bin/env bash
# Takes the screenshots in data/screenshots/ from the real program: builds it,
# starts it under a virtual X server with the openbox window manager, opens
# sample files made here, brings up each state with the program's own keys
# and saves each window, frame included, as a PNG. Installs Xvfb, openbox,
# ImageMagick (import) and xdotool when they are missing.
#
# The metainfo lists these files when the build is given the address they
# are published at (CMake option KKTVIEW_SCREENSHOT_URL).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
out="$root/data/screenshots"

if [ "${1:-}" != --in-x-session ]; then
    "$root/scripts/setup.sh"
    missing=()
    for tool in openbox:openbox import:imagemagick xdotool:xdotool; do
        command -v "${tool%%:*}" >/dev/null || missing+=("${tool#*:}")
    done
    if ((${#missing[@]})); then
        sudo_cmd=()
        [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
        DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
    fi
    [ -f "$build/CMakeCache.txt" ] || cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$build" --target kktview --parallel "$(nproc)" >/dev/null
    # A screen tall enough for the check window, which is taller than the main one.
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" --in-x-session
fi

# The toolbar shows the file's path: a short one where it is free.
work=/tmp/kktview
mkdir -m 700 "$work" 2>/dev/null || work="$(mktemp -d)"
# The window's remembered choices live here, not in the user's settings.
export XDG_CONFIG_HOME="$work/config"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

# Sample files: a receipt header in code page 1251 with CR LF line breaks,
# and the same header as a register might keep it, framed by control bytes
# and padded with zero bytes.
cd "$work"
printf '    ООО "РОМАШКА"\r\nМАГАЗИН "ТОВАРЫ ДЛЯ ДОМА"\r\nг. Тверь, ул. Советская, 1\r\n   СПАСИБО ЗА ПОКУПКУ!\r\n' |
    iconv -f UTF-8 -t CP1251 >klishe.txt
{
    printf '\x02\x1b\x40'
    head -c 60 klishe.txt
    printf '\x03\x00\x00\x00\x00\x10\x1b\x21\x08\x0c'
} >klishe.bin

# A register's memory of 64 KiB: a few counters and a BCD date, the header
# in code page 866, zeros; and yesterday's copy of it, three bytes apart.
{
    printf '\x12\xdd\x1b\x21\x2b\x91\x8f\x80\x09\x12\x26\x14\x30\x00\x00\x00'
    iconv -f CP1251 -t CP866 klishe.txt
    head -c 65536 /dev/zero
} | head -c 65536 >dump.bin
cp dump.bin yesterday.bin
printf '\x08\x17' | dd of=yesterday.bin bs=1 seek=8 conv=notrunc status=none
printf '\x7f' | dd of=yesterday.bin bs=1 seek=4660 conv=notrunc status=none

openbox >/dev/null 2>&1 &
pids+=($!)
sleep 1

# Waits for a visible window with exactly this title and puts it at the top
# left, so every shot has the same geometry.
window() {
    local id
    id="$(xdotool search --sync --onlyvisible --name "^$1\$" | head -1)"
    xdotool windowmove --sync "$id" 20 20 >/dev/null
    xdotool windowactivate --sync "$id" >/dev/null
    echo "$id"
}
# Lets the program repaint, then saves the window with its frame.
shot() {
    sleep 1.5
    import -window "$1" -frame "$work/shot.png"
    convert "$work/shot.png" -strip "$out/$2"
    echo "$out/$2"
}
keys() {
    xdotool key --delay 300 "$@"
}

# Starts the program on a file; the window follows.
start() {
    "$build/app/kktview" "$1" >/dev/null 2>&1 &
    pids+=($!)
}

mkdir -p "$out"
# The register's file: the names of its control bytes, then the hex-edit layout.
start klishe.bin
main="$(window "Просмотр бинарных файлов")"
keys F2
shot "$main" main.png
keys F5
shot "$main" hexedit.png
kill "${pids[-1]}"
wait "${pids[-1]}" || true

# The receipt header: its listing for the 1251 group, its check for the
# first model of the list, and the code table.
start klishe.txt
main="$(window "Просмотр бинарных файлов")"
keys F7
shot "$main" listing.png
keys ctrl+k
shot "$(window "Проверка клише")" check.png
xdotool windowactivate --sync "$main" >/dev/null
keys ctrl+t
# Its window opens small; a user would widen it to read the table.
table="$(window "Таблицы")"
xdotool windowsize --sync "$table" 680 480
shot "$table" codetable.png
kill "${pids[-1]}"
wait "${pids[-1]}" || true

# The dump whole in hex beside its 866 text, compared with yesterday's copy:
# Shift+F5, "Файл" → "Сравнить с файлом…", the first difference (Alt+Down)
# and the values at it.
# The text beside in 866 and the panel "Значения" shown, as chosen before.
mkdir -p "$XDG_CONFIG_HOME/kktview"
printf '[dump]\ntextBeside=866\nvaluesPanel=true\n' >"$XDG_CONFIG_HOME/kktview/kktview.conf"
start dump.bin
main="$(window "Просмотр бинарных файлов")"
keys shift+F5
keys alt+Cyrillic_ef Cyrillic_er
xdotool search --sync --onlyvisible --name "^Сравнить с файлом" >/dev/null
xdotool type --delay 20 "$work/yesterday.bin"
keys Return
keys alt+Down
shot "$main" dump.png
