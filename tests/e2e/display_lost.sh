#!/usr/bin/env bash
# The real program loses its display (the X server goes away) while it shows
# a message box (its data archive is missing, so a font cannot be read): it
# must end within a few seconds instead of hanging in its exit handlers.
VQ_XVFB=$(cd "$(dirname "$0")" && pwd)/xvfb.sh
set -u
game=$1
. "$(dirname "$0")/setup.sh"  # no data.pak

"$VQ_XVFB" 1280x1024x24 bash -c '
    "$1" -changedir="$2" 2>/dev/null &
    echo $! > "$3"
    sleep 2
' _ "$game" "$work/game" "$work/pid"
pid=$(cat "$work/pid")
for i in $(seq 1 50); do
    kill -0 "$pid" 2>/dev/null || { echo "ended once the display was gone"; exit 0; }
    sleep 0.2
done
echo "still running 10 s after the display went away"
kill -9 "$pid"
exit 1
