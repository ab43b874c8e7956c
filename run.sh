#!/usr/bin/env bash
# Installs what is missing, builds the game and starts it.
set -euo pipefail
cd "$(dirname "$0")"

./scripts/install-deps.sh

generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
cmake -S . -B build "${generator[@]}" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$(nproc)" --target vornique game_data

exec ./build/vornique "$@"
