#!/usr/bin/env bash
# CPU used by the running game while nothing changes on screen, next to a
# process that only sleeps in 10 ms steps, measured in the same run. The
# game's figure is split into its main thread (the main loop) and the rest
# (the 5 ms timer thread).
# Usage: bench/idle_cpu.sh BUILD_DIR [SECONDS]   (needs xvfb-run)
# The game and the sleeper run at the same time, so both see the same machine.
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

# Starts the game and the sleeper side by side, lets them settle for 2 s,
# and prints the CPU milliseconds of the game, of its main thread and of the
# sleeper over the same $seconds.
measure() {
    local game=$1 sleeper=$2
    "$game" -changedir="$work/game" &
    local gpid=$!
    "$sleeper" $((seconds + 5)) &
    local spid=$!
    sleep 2
    local g0 g1 s0 s1
    read -r -a g0 <<<"$(cpu_ns "$gpid")"
    read -r -a s0 <<<"$(cpu_ns "$spid")"
    sleep "$seconds"
    read -r -a g1 <<<"$(cpu_ns "$gpid")"
    read -r -a s1 <<<"$(cpu_ns "$spid")"
    kill -TERM "$gpid" "$spid" 2>/dev/null || true
    wait "$gpid" "$spid" 2>/dev/null || true
    echo "$(( (g1[0] - g0[0]) / 1000000 )) $(( (g1[1] - g0[1]) / 1000000 )) $(( (s1[0] - s0[0]) / 1000000 ))"
}

export -n SDL_VIDEODRIVER SDL_AUDIODRIVER
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Folders of its own: another copy of the game on this machine cannot make
# this one a second instance, and nothing is written into the build.
export XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/run
mkdir -m 0700 "$work/run"
mkdir -p "$work/game/save"
ln -s "$(realpath "$build/data.pak")" "$work/game/data.pak"
# One player, so that the game idles on the start screen, not in the new-player dialog.
printf '\x01Bench\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02' >"$work/game/save/Bench.usr"

read -r game_ms game_main_ms sleeper_ms <<<"$(xvfb-run -a -s "-screen 0 1280x1024x24" \
    bash -c "$(declare -f cpu_ns measure); seconds=$seconds; work=$work; \
             measure '$(realpath "$build/vornique")' '$(realpath "$build/bench/sleep_loop")'")"

echo "idle game, whole process:  ${game_ms} ms CPU in ${seconds} s"
echo "idle game, main loop:      ${game_main_ms} ms"
echo "idle game, other threads:  $((game_ms - game_main_ms)) ms"
echo "10 ms sleep loop:          ${sleeper_ms} ms"
awk -v g="$game_ms" -v m="$game_main_ms" -v s="$sleeper_ms" 'BEGIN {
    if (s > 0) printf "ratio process / sleeper: %.2f, main loop / sleeper: %.2f\n", g / s, m / s }'
