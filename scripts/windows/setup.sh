#!/usr/bin/env bash
# Installs the Debian 12 packages that building kktview for Windows and
# testing it under wine need, but only those that are missing: the mingw-w64
# cross compiler of the posix thread model, Debian's Qt host tools (moc, rcc,
# uic for the cross build), Ninja, wine, NSIS, zip, and what the window's
# smoke test under Xvfb uses. The source of Qt itself comes with
# scripts/windows/build-qt.sh.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
"$root/scripts/setup.sh"

packages=(
    g++-mingw-w64-x86-64-posix mingw-w64-tools binutils-mingw-w64-x86-64
    qt6-base-dev-tools qt6-translations-l10n ninja-build dpkg-dev
    wine wine64 nsis zip unzip
    openbox xdotool imagemagick
)
missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
if ((${#missing[@]})); then
    sudo_cmd=()
    [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
    echo "Installing: ${missing[*]}"
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
