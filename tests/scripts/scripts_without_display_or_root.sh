#!/usr/bin/env bash
# scripts/run.sh and scripts/setup.sh as a user meets them: over SSH without
# a display, and without root or sudo. Neither may build or install anything.
set -uo pipefail
root="$1"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
failed=0
fail() {
    echo "FAIL: $*" >&2
    failed=1
}

# run.sh: the window needs a display, and that is said before any build.
# A script that builds first is stopped long before the build ends.
out="$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM BUILD_DIR="$scratch/build" \
    timeout 60 "$root/scripts/run.sh" klishe.bin 2>&1)"
status=$?
[ "$status" -eq 1 ] || fail "run.sh without a display ended with $status"
[ ! -e "$scratch/build" ] || fail "run.sh built before it looked for a display"
grep -q 'xvfb-run' <<<"$out" || fail "run.sh does not say how to run without a screen: $out"
grep -q -- '--print hex FILE' <<<"$out" || fail "run.sh does not name the views: $out"

# setup.sh: a user without sudo is told the one line to run as root.
mkdir "$scratch/bin"
for tool in bash cat grep; do
    ln -s "$(command -v "$tool")" "$scratch/bin/$tool"
done
printf '#!/bin/sh\necho 1000\n' >"$scratch/bin/id"
printf '#!/bin/sh\nexit 1\n' >"$scratch/bin/dpkg-query" # nothing is installed
chmod +x "$scratch/bin/id" "$scratch/bin/dpkg-query"
out="$(PATH="$scratch/bin" "$(command -v timeout)" 60 "$scratch/bin/bash" "$root/scripts/setup.sh" 2>&1)"
status=$?
[ "$status" -eq 1 ] || fail "setup.sh without sudo ended with $status"
grep -q 'command not found' <<<"$out" && fail "setup.sh called what is not there: $out"
[ "$(grep -c '^ *apt-get install' <<<"$out")" -eq 1 ] ||
    fail "setup.sh does not give the apt-get install line: $out"
grep -q '^ *apt-get install .*qt6-base-dev' <<<"$out" ||
    fail "the apt-get install line lacks the packages: $out"

exit "$failed"
