#!/usr/bin/env bash
# Builds a libFuzzer target with clang in build-fuzz/ and runs it: FUZZ_TARGET
# fuzz_core (the default: views, codec, save and load) or fuzz_recovery (the
# recovery copies' files). FUZZ_SECONDS (default 60) bounds the run; extra
# arguments go to libFuzzer. Inputs that fail a check land in build-fuzz/ as
# crash-* files; replay one with build-fuzz/tests/fuzz/TARGET FILE.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
FUZZ=1 "$root/scripts/setup.sh"

build="${BUILD_DIR:-$root/build-fuzz}"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++-14 -DKKTVIEW_FUZZ=ON >/dev/null
target="${FUZZ_TARGET:-fuzz_core}"
case "$target" in
fuzz_core | fuzz_recovery) ;;
*)
    echo "FUZZ_TARGET is fuzz_core or fuzz_recovery, not $target" >&2
    exit 2
    ;;
esac
cmake --build "$build" --target "$target" --parallel "$(nproc)"

corpus="$build/corpus"
if [ "$target" = fuzz_core ]; then
    # A few seeds: the byte values, line breaks of every kind, a cliche text.
    mkdir -p "$corpus"
    printf 'A\r\nB\nC\rD' >"$corpus/line-breaks"
    printf '\xcd\xe0\xe8\xec\xe5\xed\xee\xe2\xe0\xed\xe8\xe5 ^1.-2,3\r\n' >"$corpus/cliche"
    for b in 0 1 2 3; do
        # shellcheck disable=SC2046
        printf "$(printf '\\%03o' $(seq $((b * 64)) $((b * 64 + 63))))" >"$corpus/bytes-$b"
    done
else
    # Seeds: a copy as the store writes it, and one of the release before.
    corpus="$build/corpus-recovery"
    mkdir -p "$corpus"
    printf 'KKTVIEW RECOVERY 2\nwritten 2025-03-14T11:05:00.000Z\nsize 3\ncrc32c 364B3FB7\norigin /d/kkm.bin\n\nabc' \
        >"$corpus/copy"
    printf 'KKTVIEW RECOVERY 1\nwritten 2025-03-14T11:05:00.000Z\nsize 3\norigin /d/%%CA.bin\n\nabc' \
        >"$corpus/old-copy"
fi

cd "$build"
export ASAN_OPTIONS=detect_leaks=0
exec "tests/fuzz/$target" -max_total_time="${FUZZ_SECONDS:-60}" -print_final_stats=1 "$@" "$corpus"
