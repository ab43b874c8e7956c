#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the whole suite,
# then the unit tests under AddressSanitizer + UndefinedBehaviorSanitizer and
# the threaded ones under ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")"

./scripts/install-deps.sh

echo "== include layers"
./scripts/check-layers.sh

jobs=$(nproc)
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)

configure_and_build() {
    local dir=$1
    shift
    cmake -S . -B "$dir" "${generator[@]}" "$@" >/dev/null
    cmake --build "$dir" -j "$jobs"
}

echo "== build (release) and all tests"
configure_and_build build -DCMAKE_BUILD_TYPE=Release
ctest --test-dir build --output-on-failure -j "$jobs"

echo "== unit tests under AddressSanitizer + UndefinedBehaviorSanitizer"
configure_and_build build-asan -DCMAKE_BUILD_TYPE=Debug -DVQ_SANITIZE_ADDRESS=ON -DVQ_BUILD_GAME=OFF \
    -DVQ_GAME_DATA="$PWD/build/data.pak"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build-asan --output-on-failure -j "$jobs" -LE e2e

echo "== threaded tests under ThreadSanitizer"
configure_and_build build-tsan -DCMAKE_BUILD_TYPE=Debug -DVQ_SANITIZE_THREAD=ON -DVQ_BUILD_GAME=OFF \
    -DVQ_GAME_DATA="$PWD/build/data.pak"
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
    ctest --test-dir build-tsan --output-on-failure -j "$jobs" -L '^(time|kernel|app|sound|controls|game|effects)$'

echo "== every fuzz target for 15 s, from its seeds and kept corpus"
./scripts/fuzz.sh 15
