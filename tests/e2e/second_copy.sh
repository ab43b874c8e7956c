#!/usr/bin/env bash
# Two copies of the real program under a virtual display: the second asks the
# first to come back (its window, hidden meanwhile, shows again) and ends
# with exit code 0 without opening a window of its own.
VQ_XVFB=$(cd "$(dirname "$0")" && pwd)/xvfb.sh
set -u
game=$1
pak=$2
. "$(dirname "$0")/setup.sh" "$pak"

"$VQ_XVFB" 1280x1024x24 bash -c '
    "$1" -changedir="$2" &
    first=$!
    trap "kill -9 $first 2>/dev/null" EXIT
    window=""
    for i in $(seq 1 50); do
        window=$(xdotool search --name "^Vornique\$" 2>/dev/null | head -1)
        [ -n "$window" ] && break
        sleep 0.1
    done
    [ -n "$window" ] || { echo "the first copy opened no window"; exit 1; }
    sleep 1.5  # the game is up and its main loop runs
    xdotool windowunmap --sync "$window"
    xwininfo -id "$window" | grep -q "IsUnMapped" || { echo "could not hide the first window"; exit 1; }

    timeout 20 "$1" -changedir="$2"
    rc=$?
    [ $rc -eq 0 ] || { echo "the second copy ended with $rc"; exit 1; }
    count=$(xdotool search --name "^Vornique\$" 2>/dev/null | wc -l)
    [ "$count" -eq 1 ] || { echo "$count windows named Vornique"; exit 1; }
    for i in $(seq 1 50); do
        xwininfo -id "$window" | grep -q "IsViewable" && { echo "the first copy came back"; exit 0; }
        sleep 0.1
    done
    echo "the first copy did not come back"
    exit 1
' _ "$game" "$work/game"
