#!/usr/bin/env bash
# Builds every libFuzzer target with clang and runs each for SECONDS
# (default 600) from its seeds (fuzz/seeds/<format>/) and its kept corpus
# (fuzz/corpus/<target>/), as many at once as there are cores. New inputs
# collect in build-fuzz/corpus/<target>/; with --keep they are merged,
# minimised, into the kept corpus (commit it when it grew usefully).
# Prints one line per target: runs, seconds and whether it found anything;
# a finding fails the script and leaves the crashing input in build-fuzz/.
# Usage: scripts/fuzz.sh [--keep] [SECONDS] [TARGET ...]
# (VQ_FUZZ_BUILD names another build folder, for a long run beside the tests.)
set -euo pipefail
cd "$(dirname "$0")/.."
bf=${VQ_FUZZ_BUILD:-build-fuzz}
bf=$(realpath -m "$bf")
keep=0
if [ "${1:-}" = "--keep" ]; then
    keep=1
    shift
fi
seconds=${1:-600}
shift || true
cmake -S . -B $bf -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DVQ_BUILD_FUZZERS=ON \
    -DVQ_BUILD_TESTS=OFF -DVQ_BUILD_BENCH=OFF -DVQ_BUILD_GAME=OFF >/dev/null
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    mapfile -t targets <$bf/fuzz-targets.txt
fi
cmake --build $bf --target "${targets[@]}" >/dev/null

run_one() {
    local t=$1 work=$bf/corpus/$1 kept=$PWD/fuzz/corpus/$1 log=$bf/$1.log
    mkdir -p "$work" "$kept"
    local seeds=$PWD/fuzz/seeds/${t#fuzz_}
    local dirs=("$work" "$kept")
    [ -d "$seeds" ] && dirs+=("$seeds")
    if (cd $bf && "fuzz/$t" "${dirs[@]}" -max_total_time="$seconds" \
        -print_final_stats=1 -rss_limit_mb=2048 -artifact_prefix="$t-" >"$t.log" 2>&1); then
        local runs
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
        echo "$t: ${runs:-?} runs in ${seconds} s, no finding"
        if [ "$keep" -eq 1 ]; then
            "$bf/fuzz/$t" -merge=1 "$kept" "$work" >/dev/null 2>&1
        fi
    else
        echo "$t: FINDING after $(grep -c . "$log") log lines; see $log and $bf/$t-*"
        return 1
    fi
}

jobs=$(nproc)
failed=0
pids=()
for t in "${targets[@]}"; do
    run_one "$t" &
    pids+=($!)
    if [ ${#pids[@]} -ge "$jobs" ]; then
        wait "${pids[0]}" || failed=1
        pids=("${pids[@]:1}")
    fi
done
for pid in "${pids[@]}"; do
    wait "$pid" || failed=1
done
exit $failed
