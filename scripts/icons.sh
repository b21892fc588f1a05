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

# The Windows icon: the same PNGs in one .ico (PNG entries, as Windows takes
# them since Vista), for the program, its installer and its shortcut.
python3 - "$icons" <<'PY'
import struct, sys, pathlib
icons = pathlib.Path(sys.argv[1])
sizes = [16, 32, 48, 64, 128]
images = [(icons / f"kktview-{s}.png").read_bytes() for s in sizes]
offset = 6 + 16 * len(images)
out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
for size, data in zip(sizes, images):
    out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
    offset += len(data)
for data in images:
    out += data
(icons / "kktview.ico").write_bytes(out)
PY
echo "$icons/kktview.ico from the PNGs"
