#!/usr/bin/env bash
# Builds the libFuzzer target fuzz_core with clang in build-fuzz/ and runs it.
# FUZZ_SECONDS (default 60) bounds the run; extra arguments go to libFuzzer.
# Inputs that fail a check land in build-fuzz/ as crash-* files; replay one
# with build-fuzz/tests/fuzz/fuzz_core FILE.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
FUZZ=1 "$root/scripts/setup.sh"

build="${BUILD_DIR:-$root/build-fuzz}"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++-14 -DKKTVIEW_FUZZ=ON >/dev/null
cmake --build "$build" --target fuzz_core --parallel "$(nproc)"

# A few seeds: the byte values, line breaks of every kind, a cliche text.
corpus="$build/corpus"
mkdir -p "$corpus"
printf 'A\r\nB\nC\rD' >"$corpus/line-breaks"
printf '\xcd\xe0\xe8\xec\xe5\xed\xee\xe2\xe0\xed\xe8\xe5 ^1.-2,3\r\n' >"$corpus/cliche"
for b in 0 1 2 3; do
    # shellcheck disable=SC2046
    printf "$(printf '\\%03o' $(seq $((b * 64)) $((b * 64 + 63))))" >"$corpus/bytes-$b"
done

cd "$build"
export ASAN_OPTIONS=detect_leaks=0
exec tests/fuzz/fuzz_core -max_total_time="${FUZZ_SECONDS:-60}" -print_final_stats=1 "$@" "$corpus"
