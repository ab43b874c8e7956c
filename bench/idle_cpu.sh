#!/usr/bin/env bash
# CPU used by the running game while nothing changes on screen, next to a
# process that only sleeps in 10 ms steps, measured in the same run. The
# game's figure is split into its main thread (the main loop) and the rest
# (the 5 ms timer thread).
# Usage: bench/idle_cpu.sh BUILD_DIR [SECONDS]   (needs xvfb-run)
set -euo pipefail
build=${1:-build}
seconds=${2:-10}

# Prints "<process ns> <main-thread ns>": time spent running on a CPU, from
# the scheduler's own accounting (nanoseconds, unlike the 10 ms tick counts).
cpu_ns() {
    local total=0 t
    for t in /proc/"$1"/task/*/schedstat; do
        total=$(( total + $(awk '{print $1}' "$t" 2>/dev/null || echo 0) ))
    done
    echo "$total $(awk '{print $1}' "/proc/$1/task/$1/schedstat")"
}

# Runs a command, lets it settle for 2 s, and prints the CPU milliseconds of
# the whole process and of its main thread over the next $seconds.
measure() {
    "$@" &
    local pid=$!
    sleep 2
    local before after
    read -r -a before <<<"$(cpu_ns "$pid")"
    sleep "$seconds"
    read -r -a after <<<"$(cpu_ns "$pid")"
    kill -TERM "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    echo "$(( (after[0] - before[0]) / 1000000 )) $(( (after[1] - before[1]) / 1000000 ))"
}

export -n SDL_VIDEODRIVER SDL_AUDIODRIVER
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config

read -r game_ms game_main_ms <<<"$(xvfb-run -a -s "-screen 0 1280x1024x24" \
    bash -c "$(declare -f cpu_ns measure); seconds=$seconds; measure '$build/vornique'")"
read -r sleeper_ms _ <<<"$(measure "$build/bench/sleep_loop" $((seconds + 5)))"

echo "idle game, whole process:  ${game_ms} ms CPU in ${seconds} s"
echo "idle game, main loop:      ${game_main_ms} ms"
echo "idle game, other threads:  $((game_ms - game_main_ms)) ms"
echo "10 ms sleep loop:          ${sleeper_ms} ms"
awk -v g="$game_ms" -v m="$game_main_ms" -v s="$sleeper_ms" 'BEGIN {
    if (s > 0) printf "ratio process / sleeper: %.2f, main loop / sleeper: %.2f\n", g / s, m / s }'
