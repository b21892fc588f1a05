#!/usr/bin/env bash
# Installs the Debian 12 packages that building kktview for Windows and
# testing it under wine need, but only those that are missing: the mingw-w64
# cross compiler of the posix thread model, Debian's Qt host tools (moc, rcc,
# uic for the cross build), Ninja, wine, NSIS, zip, and what the window's
# smoke test under Xvfb uses. The source of Qt itself comes with
# scripts/windows/build-qt.sh.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
packages=(
    g++-mingw-w64-x86-64-posix mingw-w64-tools binutils-mingw-w64-x86-64
    qt6-base-dev-tools qt6-translations-l10n ninja-build dpkg-dev
    wine wine64 nsis zip unzip
    openbox xdotool imagemagick
)
KKTVIEW_EXTRA_PACKAGES="${packages[*]}" "$root/scripts/setup.sh"
