#!/usr/bin/env bash
# Whole-program figures, each against a reference measured in the same run,
# printed as one table (figure, ours, reference, ratio as min / median / max
# over the runs). Runs alternate between the game and its reference, or run
# them side by side, so that both see the same machine.
#   drawing:  opaque background blit against memcpy of a frame; the whole
#             scene (background, 20 cards, 200 glyphs) against pixman
#   present:  one frame through SDL's renderer against a window-surface update
#   start-up: exec to the first start-screen frame, full screen on a
#             1024 x 768 screen and windowed on a 1280 x 1024 one, each
#             against a bare SDL program showing one frame in the same mode;
#             CPU used until then; Enter on the start screen to the first
#             frame of the dealt field
#   idle:     CPU and wake-ups (context switches of all threads) per second
#             on the start screen beside a bare SDL program waiting for
#             events in the same window; the same with an audio device open
#             (SDL's dummy driver, or none: the rows say so) beside that
#             program playing the game's song; in play (clock running) beside
#             a process that sleeps in 10 ms steps; all in the same seconds;
#             resident and proportional memory on the start screen
#   motion:   CPU of a press with its card turn (and a found pair's glow,
#             260 ms of game time) and of the celebration (960 ms), against
#             the same game time with nothing moving, on the manual clock
#   session:  1002 deals at full speed, with resident memory, threads and
#             open files at deal 51 and deal 1002
# Every copy of the game gets its own working, data, config and runtime
# folders, so another copy on the machine cannot make it a second instance.
# Usage: scripts/bench.sh [RUNS] [IDLE_SECONDS]     (defaults 5 and 10)
# VQ_BENCH_GAME names another game program to measure (with its data.pak
# beside it), for a comparison with an older build; VQ_BENCH_PARTS picks
# parts (default "drawing startup idle motion session").
# Needs the packages of scripts/install-deps.sh (Xvfb, xdotool).
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-5}
idle_seconds=${2:-10}
build=$PWD/build
game=$(realpath "${VQ_BENCH_GAME:-$build/vornique}")
parts=" ${VQ_BENCH_PARTS:-drawing startup idle motion session} "
part() { [[ $parts == *" $1 "* ]]; }

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$(nproc)" >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export -n SDL_VIDEODRIVER SDL_AUDIODRIVER

# "min / median / max" of the numbers on standard input, with the given format.
stats() {
    sort -g | awk -v f="$1" '{ v[NR] = $1 } END {
        if (NR == 0) { print "-"; exit }
        m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
        printf f " / " f " / " f "\n", v[1], m, v[NR] }'
}
median() {
    sort -g | awk '{ v[NR] = $1 } END {
        if (NR == 0) { print 0; exit }
        printf "%.1f\n", NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
rows=()
# row FIGURE OURS_FILE REF_FILE UNIT [REFERENCE_NAME]: one table row from two
# files holding one figure per run (same order); the ratio is taken run by run.
row() {
    local figure=$1 ours=$2 ref=$3 unit=$4 name=${5:-}
    local o r ratio
    o="$(median <"$ours") $unit"
    if [ -n "$ref" ]; then
        r="$name $(median <"$ref") $unit"
        ratio=$(paste "$ours" "$ref" | awk '$2 > 0 { print $1 / $2 }' | stats "%.2f")
    else
        r="-"
        ratio="ours: $(stats "%.1f" <"$ours")"
    fi
    rows+=("| $figure | $o | $r | $ratio |")
}

# A fresh set of folders with one player, so that the game opens on the start
# screen; prints the game folder.
game_folders() {
    local d
    d=$(mktemp -d "$work/game.XXXX")
    mkdir -p "$d/game/save" "$d/data" "$d/config"
    mkdir -m 0700 "$d/run"
    ln -s "$(dirname "$game")/data.pak" "$d/game/data.pak"
    printf '\x01Bench\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02' >"$d/game/save/Bench.usr"
    echo "$d"
}
# Runs (execs: the caller's $! is the program's own process) a command with
# the folders of `game_folders`.
with_folders() {
    local d=$1
    shift
    exec env XDG_DATA_HOME="$d/data" XDG_CONFIG_HOME="$d/config" XDG_RUNTIME_DIR="$d/run" "$@"
}

# --- drawing and present ------------------------------------------------------------------

# Google Benchmark's time, in us, of a named benchmark in a CSV report
# (name, iterations, real_time, cpu_time, time_unit, ...): the CPU time for
# drawing (the machine is shared), the wall time for presenting (it waits on
# the X server).
bench_time() {
    awk -F, -v n="\"$2\"" -v col="${3:-4}" '$1 == n {
        scale = $5 == "ns" ? 0.001 : $5 == "ms" ? 1000 : $5 == "s" ? 1e6 : 1
        print $col * scale }' "$1"
}
if part drawing; then
    for ((i = 0; i < runs; ++i)); do
        "$build/bench/drawing_bench" --benchmark_format=csv \
            --benchmark_filter='^BM_(MemcpyFrame|OpaqueBackgroundBlit|Scene|Pixman_Scene)$' \
            >"$work/draw.csv" 2>/dev/null
        bench_time "$work/draw.csv" BM_OpaqueBackgroundBlit >>"$work/blit.ours"
        bench_time "$work/draw.csv" BM_MemcpyFrame >>"$work/blit.ref"
        bench_time "$work/draw.csv" BM_Scene >>"$work/scene.ours"
        bench_time "$work/draw.csv" BM_Pixman_Scene >>"$work/scene.ref"
        xvfb-run -a -s "-screen 0 1280x1024x24" "$build/bench/present_bench" \
            --benchmark_format=csv >"$work/present.csv" 2>/dev/null || true
        bench_time "$work/present.csv" BM_PresentThroughRenderer 3 >>"$work/present.ours"
        bench_time "$work/present.csv" BM_PresentWindowSurface 3 >>"$work/present.ref"
    done
    row "opaque background blit, 1024 x 768 (CPU)" "$work/blit.ours" "$work/blit.ref" us \
        "memcpy of a frame"
    row "whole scene: background, 20 cards, 200 glyphs (CPU)" "$work/scene.ours" \
        "$work/scene.ref" us pixman
    row "present one frame (wall)" "$work/present.ours" "$work/present.ref" us \
        "window-surface update"
fi

# --- start-up -------------------------------------------------------------------------------

# Runs under one Xvfb: the game and the bare program in mode MODE (full: the
# screen is 1024 x 768 and the game covers it; window: a larger screen, the
# game opens windowed), in turn; each reports "frame <wall ms> <cpu ms>" (see
# StartupMark).
startup_runs() {
    local mode=$1 i d t0 sent pid deadline
    for ((i = 0; i < runs; ++i)); do
        d=$(game_folders)
        t0=$(date +%s%N)
        VQ_STARTUP_REPORT=$d/report VQ_STARTUP_T0_NS=$t0 SDL_AUDIODRIVER=none \
            with_folders "$d" "$game" -changedir="$d/game" &
        pid=$!
        deadline=$((SECONDS + 30))
        while ! grep -q '^frame' "$d/report" 2>/dev/null && ((SECONDS < deadline)); do
            sleep 0.05
        done
        sleep 0.5
        sent=$(date +%s%N)
        xdotool key Return
        while ! grep -q '^key-frame' "$d/report" 2>/dev/null && ((SECONDS < deadline)); do
            sleep 0.05
        done
        kill -TERM "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
        awk -v f="$work/start.$mode" '$1 == "frame" { print $2 >> (f ".wall"); print $3 >> (f ".cpu") }' \
            "$d/report"
        # The dealt field: its first frame less the moment Enter was sent.
        awk -v w="$work" -v lag="$(((sent - t0) / 1000))" \
            '$1 == "key-frame" { print $2 - lag / 1000 >> (w "/field.ms") }' "$d/report"
        VQ_STARTUP_REPORT=$d/$mode VQ_STARTUP_T0_NS=$(date +%s%N) \
            "$build/bench/sdl_minimal" "$mode" || true
        awk -v f="$work/sdl.$mode" '$1 == "frame" { print $2 >> (f ".wall"); print $3 >> (f ".cpu") }' \
            "$d/$mode"
    done
}
# (xvfb-run is a POSIX shell script, which drops exported functions: the
# functions and settings go through a file.)
in_xvfb() {
    local screen=$1
    shift
    {
        declare -p build game work runs idle_seconds
        declare -f
    } >"$work/functions.sh"
    xvfb-run -a -s "-screen 0 ${screen}x24" bash -c "source '$work/functions.sh'; $*"
}
if part startup; then
    in_xvfb 1024x768 startup_runs full
    in_xvfb 1280x1024 startup_runs window
    for mode in window full; do
        name=$([ $mode = full ] && echo "full screen" || echo "windowed")
        row "first start-screen frame after exec ($name)" "$work/start.$mode.wall" \
            "$work/sdl.$mode.wall" ms "bare SDL program, $name"
        paste "$work/start.$mode.wall" "$work/sdl.$mode.wall" | awk '{ print $1 - $2 }' \
            >"$work/own.$mode.wall"
        row "our own work before the first frame ($name, difference)" "$work/own.$mode.wall" "" ms
        row "CPU used before the first frame ($name)" "$work/start.$mode.cpu" "$work/sdl.$mode.cpu" \
            ms "bare SDL program, $name"
    done
    row "Enter on the start screen to the first frame of the dealt field" "$work/field.ms" "" ms
fi

# --- idle -------------------------------------------------------------------------------------

# CPU time of a process in ns, from the scheduler's own accounting of every thread.
cpu_ns() {
    local total=0 t
    for t in /proc/"$1"/task/*/schedstat; do
        total=$((total + $(awk '{ print $1 }' "$t" 2>/dev/null || echo 0)))
    done
    echo "$total"
}
# Wake-ups of a process so far: the context switches of all its threads.
wakes() {
    cat /proc/"$1"/task/*/status 2>/dev/null | awk '/ctxt_switches/ { s += $2 } END { print s + 0 }'
}
# Resident and proportional memory of a process in MiB: "rss pss".
memory() {
    awk '/^Rss:/ { r = $2 } /^Pss:/ { p = $2 } END { printf "%.1f %.1f\n", r / 1024, p / 1024 }' \
        /proc/"$1"/smaps_rollup
}
# idle_runs NAME AUDIO PLAY REFERENCE...: the game and the reference side by
# side, settled, then both measured over the same seconds; appends ms of CPU
# and wake-ups per second, and the memory on the start screen.
idle_runs() {
    local name=$1 audio=$2 play=$3 i d pid rpid g0 g1 r0 r1 gw0 gw1 rw0 rw1
    shift 3
    for ((i = 0; i < runs; ++i)); do
        d=$(game_folders)
        SDL_AUDIODRIVER=$audio with_folders "$d" "$game" -changedir="$d/game" &
        pid=$!
        SDL_AUDIODRIVER=$audio "$@" &
        rpid=$!
        sleep 3
        if [ "$play" = 1 ]; then
            xdotool key Return  # Play: the field is dealt, the count-down runs, then the clock
            sleep 5
        fi
        g0=$(cpu_ns "$pid") r0=$(cpu_ns "$rpid") gw0=$(wakes "$pid") rw0=$(wakes "$rpid")
        sleep "$idle_seconds"
        g1=$(cpu_ns "$pid") r1=$(cpu_ns "$rpid") gw1=$(wakes "$pid") rw1=$(wakes "$rpid")
        if [ "$play" = 0 ]; then
            read -r rss pss < <(memory "$pid")
            echo "$rss" >>"$work/mem.$name.rss.ours"
            echo "$pss" >>"$work/mem.$name.pss.ours"
            read -r rss pss < <(memory "$rpid")
            echo "$rss" >>"$work/mem.$name.rss.ref"
            echo "$pss" >>"$work/mem.$name.pss.ref"
        fi
        kill -TERM "$pid" "$rpid" 2>/dev/null || true
        wait "$pid" "$rpid" 2>/dev/null || true
        awk -v g=$((g1 - g0)) -v r=$((r1 - r0)) -v t="$idle_seconds" -v f="$work/idle.$name" \
            'BEGIN { print g / t / 1e6 >> (f ".ours"); print r / t / 1e6 >> (f ".ref") }'
        awk -v g=$((gw1 - gw0)) -v r=$((rw1 - rw0)) -v t="$idle_seconds" -v f="$work/wake.$name" \
            'BEGIN { print g / t >> (f ".ours"); print r / t >> (f ".ref") }'
    done
}
if part idle; then
    song=$build/data/sounds/back.ogg
    # SDL's dummy audio driver stands for a sound card where there is none:
    # its thread wakes and mixes as a real device's would.
    audio_note="SDL dummy audio driver"
    if [ -e /dev/snd/pcmC0D0p ] && [ -z "${VQ_BENCH_DUMMY_AUDIO:-}" ]; then
        audio_note="the machine's audio device"
    fi
    audio_driver=$([ "$audio_note" = "SDL dummy audio driver" ] && echo dummy || echo "")
    in_xvfb 1280x1024 "idle_runs start none 0 '$build/bench/sdl_waiting'; \
        idle_runs audio '$audio_driver' 0 '$build/bench/sdl_waiting' '$song'; \
        idle_runs play none 1 '$build/bench/sleep_loop' $((idle_seconds + 30))"
    row "idle on the start screen, CPU per second" "$work/idle.start.ours" "$work/idle.start.ref" ms \
        "bare SDL program waiting"
    row "idle on the start screen, wake-ups per second" "$work/wake.start.ours" \
        "$work/wake.start.ref" "" "bare SDL program waiting"
    row "idle with audio ($audio_note), CPU per second" "$work/idle.audio.ours" \
        "$work/idle.audio.ref" ms "bare SDL program playing the song"
    row "idle with audio ($audio_note), wake-ups per second" "$work/wake.audio.ours" \
        "$work/wake.audio.ref" "" "bare SDL program playing the song"
    row "idle in play (clock running), CPU per second" "$work/idle.play.ours" "$work/idle.play.ref" ms \
        "10 ms sleeper"
    row "idle in play (clock running), wake-ups per second" "$work/wake.play.ours" \
        "$work/wake.play.ref" "" "10 ms sleeper"
    for kind in start audio; do
        name=$([ $kind = start ] && echo "without audio" || echo "with audio")
        row "resident memory on the start screen, $name" "$work/mem.$kind.rss.ours" \
            "$work/mem.$kind.rss.ref" MiB "bare SDL program"
        row "proportional memory on the start screen, $name" "$work/mem.$kind.pss.ours" \
            "$work/mem.$kind.pss.ref" MiB "bare SDL program"
    done
fi

# --- session ------------------------------------------------------------------------------------

# The long-session test plays 1002 deals at full speed and prints what it
# measured at deals 51 and 1002.
session_ms=0
soak="(not measured)"
# --- motion -----------------------------------------------------------------------------------

if part motion; then
    for ((i = 0; i < runs; ++i)); do
        VQ_MOTION_ROUNDS=3 "$build/tests/motion_cost" 2>/dev/null |
            awk -v w="$work" '$1 == "turn" || $1 == "celebration" {
                print $2 >> (w "/motion." $1 ".ours"); print $3 >> (w "/motion." $1 ".ref") }'
    done
    row "a press and its card turn or glow (260 ms), CPU" "$work/motion.turn.ours" \
        "$work/motion.turn.ref" ms "nothing moving, same time"
    row "the celebration (960 ms), CPU" "$work/motion.celebration.ours" \
        "$work/motion.celebration.ref" ms "nothing moving, same time"
fi

if part session; then
    session_start=$(date +%s%N)
    "$build/tests/game_tests" --gtest_filter='Soak.AThousandDealsLeaveEverythingWhereFiftyLeftIt' \
        >"$work/soak.txt" 2>&1 || true
    session_ms=$((($(date +%s%N) - session_start) / 1000000))
    soak=$(grep '^deal 51' "$work/soak.txt" || echo "deal 51: (the session test failed)")
fi

echo "Measured $(date -u +%Y-%m-%d) on $(nproc) cores, $runs runs of each (idle: $idle_seconds s each):"
echo
echo "| figure | ours (median) | reference (median) | ratio, min / median / max |"
echo "|---|---|---|---|"
printf '%s\n' "${rows[@]}"
echo
echo "Session of 1002 deals in $session_ms ms: $soak"
