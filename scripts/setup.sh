#!/usr/bin/env bash
# Installs the Debian 12 packages that building, testing and running need,
# but only those that are missing, so a second run costs nothing.
set -euo pipefail

packages=(
    cmake g++ make pkg-config
    qt6-base-dev libgl-dev libqt6svg6 qt6-translations-l10n
    libssl-dev zlib1g-dev
    fonts-dejavu-core fonts-liberation2
    xvfb xauth
    appstream desktop-file-utils man-db dpkg-dev file
)

# Other scripts' own needs (scripts/windows/setup.sh), installed the same way.
read -r -a extra <<<"${KKTVIEW_EXTRA_PACKAGES:-}"
packages+=("${extra[@]}")

# scripts/fuzz.sh: clang with libFuzzer.
if [ "${FUZZ:-0}" = 1 ]; then
    packages+=(clang-14 libclang-rt-14-dev)
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if ((${#missing[@]})); then
    sudo_cmd=()
    if [ "$(id -u)" -ne 0 ]; then
        if ! command -v sudo >/dev/null; then
            cat >&2 <<MSG
Missing Debian packages: ${missing[*]}
Installing them needs root, and sudo is not installed. Run this as root,
then run the script again:

    apt-get install -y --no-install-recommends ${missing[*]}

MSG
            exit 1
        fi
        sudo_cmd=(sudo)
    fi
    echo "Installing: ${missing[*]}"
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
