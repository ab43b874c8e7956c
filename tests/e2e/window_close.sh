#!/usr/bin/env bash
# The real program under a virtual display: a 1024 x 768 window titled
# "Vornique" opens; the close box asks "Are you sure want to exit?" instead of
# closing; "Yes" ends the process with exit code 0 and the options are saved.
VQ_XVFB=$(cd "$(dirname "$0")" && pwd)/xvfb.sh
set -u
game=$1
closer=$2
pak=$3
. "$(dirname "$0")/setup.sh" "$pak"

"$VQ_XVFB" 1280x1024x24 bash -c '
    "$1" -changedir="$4" 2>"$3" &
    pid=$!
    sleep 1
    geometry=$(xwininfo -name Vornique 2>/dev/null | awk "/Width:/{w=\$2} /Height:/{h=\$2} END{print w\"x\"h}")
    echo "window: $geometry"
    [ "$geometry" = "1024x768" ] || { echo "expected a 1024x768 window"; kill $pid; exit 1; }
    "$2" Vornique 10 || { kill $pid; exit 1; }
    sleep 1
    kill -0 $pid 2>/dev/null || { echo "the close box closed without asking"; exit 1; }
    # "Yes", clicked through the X server as a player would.
    window=$(xdotool search --name "^Vornique\$" | head -1)
    xdotool mousemove --window "$window" 582 419 click 1
    for i in $(seq 1 100); do
        kill -0 $pid 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 $pid 2>/dev/null; then echo "still running after Yes"; kill -9 $pid; exit 1; fi
    wait $pid
    rc=$?
    echo "exit code: $rc"
    exit $rc
' _ "$game" "$closer" "$work/stderr.txt" "$work/game"
rc=$?
# A normal run says nothing on standard error (no driver noise either).
if [ -s "$work/stderr.txt" ]; then
    echo "unexpected output on standard error:"
    cat "$work/stderr.txt"
    exit 1
fi
options=$(od -An -tx1 "$work/game/options.opt" 2>/dev/null | tr -d ' \n')
if [ "$options" != "001400280003" ]; then
    echo "options.opt holds '$options', expected 00 14 00 28 00 03"
    exit 1
fi
exit $rc
