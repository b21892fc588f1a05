#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test headless.
# SANITIZE=1 builds into build-asan/ with AddressSanitizer and UBSan instead,
# SANITIZE=thread into build-tsan/ with ThreadSanitizer.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"

if [ "${SANITIZE:-0}" = 1 ]; then
    export BUILD_DIR="${BUILD_DIR:-$root/build-asan}"
    export BUILD_TYPE=Debug
    "$root/scripts/build.sh" -DKKTVIEW_SANITIZE=ON -DKKTVIEW_BENCH=OFF -DKKTVIEW_WERROR=ON
    export ASAN_OPTIONS=detect_leaks=0
elif [ "${SANITIZE:-0}" = thread ]; then
    export BUILD_DIR="${BUILD_DIR:-$root/build-tsan}"
    export BUILD_TYPE=Debug
    "$root/scripts/build.sh" -DKKTVIEW_SANITIZE=thread -DKKTVIEW_BENCH=OFF -DKKTVIEW_WERROR=ON
else
    export BUILD_DIR="${BUILD_DIR:-$root/build}"
    # Benchmarks are bench/run.sh's; a warning fails the run like a test does.
    "$root/scripts/build.sh" -DKKTVIEW_BENCH=OFF -DKKTVIEW_WERROR=ON
fi

export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$BUILD_DIR" --output-on-failure
