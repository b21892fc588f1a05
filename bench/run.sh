#!/usr/bin/env bash
# Builds a Release tree in build-bench/ and runs every benchmark program in it.
# Benchmarks measure; they never fail a build or a test run.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-bench"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DKKTVIEW_BENCH=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" --parallel "$(nproc)"

# The window benchmarks type into documents and drop them: their recovery
# copies go to a state directory of the run's own.
XDG_STATE_HOME="$(mktemp -d)"
export XDG_STATE_HOME
trap 'rm -rf "$XDG_STATE_HOME"' EXIT

mapfile -t programs < <(find "$build/bench" -type f -name 'bench_*' -perm -u+x | sort)
if ((${#programs[@]} == 0)); then
    echo "No benchmark programs found under $build/bench" >&2
    exit 1
fi
for program in "${programs[@]}"; do
    echo "== ${program#"$build"/}"
    "$program"
    echo
done
