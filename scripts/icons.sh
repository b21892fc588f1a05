#!/usr/bin/env bash
# Renders the application icon's PNGs in data/icons/ from their SVG sources:
# 16 and 32 pixels from drawings of their own, on whole pixels, since the
# scalable drawing's hex digits blur at those sizes; 48, 64 and 128 from the
# scalable one. Installs librsvg2-bin (rsvg-convert) when it is missing.
set -euo pipefail
icons="$(cd "$(dirname "$0")/.." && pwd)/data/icons"

if ! command -v rsvg-convert >/dev/null; then
    sudo_cmd=()
    [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends librsvg2-bin
fi

for size in 16 32 48 64 128; do
    source="$icons/kktview-$size.svg"
    [ -f "$source" ] || source="$icons/kktview.svg"
    rsvg-convert -w "$size" -h "$size" "$source" -o "$icons/kktview-$size.png"
    echo "$icons/kktview-$size.png from $(basename "$source")"
done
