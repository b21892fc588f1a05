#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program. Arguments are
# passed to the program: a file to open, or options such as --print, --check
# or --help, which need no display.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

# The window opens when no option is given and at most one file: only then is
# a display needed, and that is known before anything is built.
opens_window=1
files=0
after_dashes=0
for argument in "$@"; do
    if [ "$after_dashes" = 0 ] && [ "$argument" = "--" ]; then
        after_dashes=1
    elif [ "$after_dashes" = 0 ] && [ "${argument#-}" != "$argument" ]; then
        opens_window=0
    else
        files=$((files + 1))
    fi
done
[ "$files" -le 1 ] || opens_window=0

if [ "$opens_window" = 1 ] && [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] &&
    [ -z "${QT_QPA_PLATFORM:-}" ]; then
    cat >&2 <<'MSG'
No display found: the kktview window needs a graphical session.
To run it without a screen, start it under a virtual X server:

    xvfb-run -a -s "-screen 0 1280x800x24" scripts/run.sh [FILE]

The views and the cliche check need no display:

    scripts/run.sh --print hex FILE
    scripts/run.sh --check MODEL FILE
    scripts/run.sh --help

MSG
    exit 1
fi

"$root/scripts/setup.sh"
"$root/scripts/build.sh"
exec "${BUILD_DIR:-$root/build}/app/kktview" "$@"
