#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program.
# Arguments are passed to the program (an optional file to open).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"
"$root/scripts/build.sh"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    cat >&2 <<'MSG'
No display found: kktview is a desktop program and needs a graphical session.
To run it without a screen, start it under a virtual X server:

    xvfb-run -a -s "-screen 0 1280x800x24" scripts/run.sh

MSG
    exit 1
fi
exec "${BUILD_DIR:-$root/build}/app/kktview" "$@"
