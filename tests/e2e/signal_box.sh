#!/usr/bin/env bash
# A termination signal while the real program shows a message box (a new
# player cannot be saved: a file-size limit of 0, lifted while the box is
# open). The program must end within 2 s with exit code 0, save the new
# player, leave no process behind (the box's own process included), and a
# next start must open its window as usual (the lock died with the game).
# Usage: signal_box.sh GAME DATA_PAK
VQ_XVFB=$(cd "$(dirname "$0")" && pwd)/xvfb.sh
set -u
game=$1
pak=$2
if [ -z "${VQ_UNDER_XVFB:-}" ]; then
    VQ_UNDER_XVFB=1 exec "$VQ_XVFB" 1280x1024x24 bash "$0" "$@"
fi
. "$(dirname "$0")/setup.sh" "$pak"

# Top-level windows named Vornique: the game's and its message box.
windows() { xwininfo -root -tree | grep -c '^ *0x[0-9a-f]* "Vornique"'; }

for sig in ${VQ_SIGNALS:-TERM INT HUP}; do
    case=box-SIG$sig
    rm -rf "$work/game/save" "$work/game/options.opt" "$work/run"
    mkdir -m 0700 "$work/run"
    (ulimit -S -f 0 && exec "$game" -changedir="$work/game" 2>/dev/null) &
    pid=$!
    wait_until_running
    window=$(xdotool search --name "^Vornique\$" 2>/dev/null | head -1)
    xdotool windowfocus --sync "$window" 2>/dev/null
    xdotool type --delay 30 Bob
    xdotool key Return
    for _ in $(seq 1 50); do
        [ "$(windows)" -ge 2 ] && break
        sleep 0.1
    done
    [ "$(windows)" -ge 2 ] || fail "no message box came up"
    helpers=$(pgrep -P "$pid")
    prlimit --pid "$pid" --fsize=unlimited
    kill -"$sig" "$pid"
    end_within "$pid" 2000
    echo "[$case] exit code $rc"
    [ $rc -eq 0 ] || fail "exit code $rc"
    head -c 4 "$work/game/save/Bob.usr" 2>/dev/null | tail -c 3 | grep -q '^Bob$' ||
        fail "the new player was not saved"
    for helper in $helpers; do
        kill -0 "$helper" 2>/dev/null && { fail "process $helper outlived the game"; kill -9 "$helper"; }
    done
    [ "$(windows)" -eq 0 ] || fail "a window stayed on screen"

    case=next-start-after-SIG$sig
    "$game" -changedir="$work/game" 2>/dev/null &
    pid=$!
    wait_until_running
    [ "$(windows)" -eq 1 ] || fail "the next start opened no window"
    kill -TERM "$pid"
    end_within "$pid" 2000
    [ $rc -eq 0 ] || fail "exit code $rc"
done

if [ $failures -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "signals during a message box: all cases passed"
