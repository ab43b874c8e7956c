#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for SECONDS (default 600).
# Usage: fuzz/run.sh [SECONDS] [TARGET ...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
shift || true
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DVQ_BUILD_FUZZERS=ON \
    -DVQ_BUILD_TESTS=OFF -DVQ_BUILD_BENCH=OFF -DVQ_BUILD_GAME=OFF >/dev/null
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    targets=($(sed -n 's/^vq_fuzzer(\([a-z_]*\) .*/\1/p' fuzz/CMakeLists.txt))
fi
cmake --build build-fuzz --target "${targets[@]}"
for t in "${targets[@]}"; do
    corpus=build-fuzz/corpus/$t
    mkdir -p "$corpus"
    seeds=fuzz/seeds/${t#fuzz_}
    [ -d "$seeds" ] && cp -n "$seeds"/* "$corpus"/ 2>/dev/null || true
    echo "== $t for ${seconds}s"
    build-fuzz/fuzz/$t "$corpus" -max_total_time="$seconds" -print_final_stats=1 -rss_limit_mb=2048
done
