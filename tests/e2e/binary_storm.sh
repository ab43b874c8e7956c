#!/usr/bin/env bash
# An input storm on the real program through the X server: seeded random
# clicks and keys for SECONDS (default 5). The game may end itself on the way
# (a click on "Exit", then "Yes"): it must then have exited with 0, and the
# next round starts it again. At the end it must still end on SIGTERM with 0
# within 2 s, no sanitizer report may have been written (when the program is
# a sanitized build), and the player's files must be whole. Links open a stub
# browser that only notes the address.
# Usage: binary_storm.sh GAME DATA_PAK [SECONDS] [SEED]
VQ_XVFB=$(cd "$(dirname "$0")" && pwd)/xvfb.sh
set -u
game=$1
seconds=${3:-5}
seed=${4:-1}
. "$(dirname "$0")/setup.sh" "$2"
case=storm
mkdir -p "$work/game/save" "$work/bin" "$work/reports"
printf '\x01Storm\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x01' >"$work/game/save/Storm.usr"
printf '#!/bin/sh\necho "$1" >>"%s/opened"\n' "$work" >"$work/bin/xdg-open"
chmod +x "$work/bin/xdg-open"

"$VQ_XVFB" 1024x768x24 bash -c '
    work=$1 game=$2 seconds=$3 seed=$4
    export PATH=$work/bin:$PATH
    export ASAN_OPTIONS=log_path=$work/reports/asan:halt_on_error=1
    export UBSAN_OPTIONS=log_path=$work/reports/ubsan:print_stacktrace=1:halt_on_error=1
    export LSAN_OPTIONS=suppressions=$5/lsan.supp:print_suppressions=0
    keys=(Left Right Up Down space Return Escape Tab a 5)
    start() {
        "$game" -changedir="$work/game" 2>>"$work/stderr" &
        pid=$!
        for _ in $(seq 1 100); do
            [ -S "$work/run/NotifyVornique.sock" ] && break
            sleep 0.05
        done
        sleep 1
    }
    RANDOM=$seed
    rounds=1 events=0
    start
    end=$((SECONDS + seconds))
    while [ $SECONDS -lt $end ]; do
        if ! kill -0 "$pid" 2>/dev/null; then
            wait "$pid"
            rc=$?
            [ $rc -eq 0 ] || { echo "the game ended by itself with $rc"; exit 1; }
            rounds=$((rounds + 1))
            start
        fi
        # Ten events to one xdotool call: starting it is the slow part.
        batch=()
        for _ in 1 2 3 4 5 6 7 8 9 10; do
            if ((RANDOM % 3)); then
                batch+=(mousemove $((RANDOM % 1024)) $((RANDOM % 768)) click 1)
            else
                batch+=(key "${keys[RANDOM % ${#keys[@]}]}")
            fi
            batch+=(sleep 0.02)
        done
        xdotool "${batch[@]}" 2>/dev/null
        events=$((events + 10))
    done
    kill -TERM "$pid"
    for _ in $(seq 1 40); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.05
    done
    if kill -0 "$pid" 2>/dev/null; then
        echo "still running 2 s after SIGTERM"
        kill -9 "$pid"
        exit 1
    fi
    wait "$pid"
    rc=$?
    echo "$events events in $rounds rounds; exit code $rc on SIGTERM"
    exit $rc
 ' _ "$work" "$game" "$seconds" "$seed" "$(cd "$(dirname "$0")" && pwd)" || fail "the storm did not end cleanly"

for report in "$work"/reports/*; do
    [ -e "$report" ] || continue
    fail "sanitizer report $(basename "$report"):"
    head -20 "$report"
done
# A file is whole: its fixed bytes, then only whole blocks of the tags this
# version writes (the storm can reach "Options"), nothing after them.
whole_blocks() {  # file, fixed bytes, tags
    python3 - "$@" <<'PY'
import sys
data = open(sys.argv[1], 'rb').read()
at, tags = int(sys.argv[2]), sys.argv[3].split()
if len(data) < at:
    sys.exit(f"{len(data)} bytes, fewer than {at}")
while at < len(data):
    if len(data) - at < 9 or data[at:at + 4].decode('latin-1') not in tags:
        sys.exit(f"no block of ours at byte {at}")
    at += 9 + int.from_bytes(data[at + 5:at + 9], 'big')
if at != len(data):
    sys.exit("the last block is cut short")
PY
}
for profile in "$work"/game/save/*.usr; do
    why=$(whole_blocks "$profile" 53 "BSTK CMFT" 2>&1) || fail "$(basename "$profile"): $why"
done
options=$work/game/options.opt
[ -f "$options" ] || fail "options.opt missing"
why=$(whole_blocks "$options" 6 "SNDS" 2>&1) || fail "options.opt: $why"
if [ -s "$work/stderr" ]; then
    echo "standard error:"
    head -20 "$work/stderr"
fi
[ -e "$work/opened" ] && echo "addresses opened: $(sort -u "$work/opened" | tr '\n' ' ')"
[ "$failures" -eq 0 ] && echo "storm: every check passed"
exit $((failures > 0))
