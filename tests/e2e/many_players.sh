#!/usr/bin/env bash
# Five thousand players on the real program under a virtual display: a new
# player made with the mouse and the keyboard is on disk within 2 s of Enter,
# SIGTERM ends the program within 2 s with exit code 0, and only the files
# whose bytes changed were written: the new player and the one who was
# current before. Every other profile keeps its bytes and its time stamp.
# Usage: many_players.sh GAME DATA_PAK
VQ_XVFB=$(cd "$(dirname "$0")" && pwd)/xvfb.sh
set -u
game=$1
pak=$2
if [ -z "${VQ_UNDER_XVFB:-}" ]; then
    if ! command -v Xvfb >/dev/null || ! command -v xdotool >/dev/null ||
        ! "$VQ_XVFB" 640x480x24 true 2>/dev/null; then
        echo "SKIP: Xvfb or xdotool cannot run here"
        exit 0
    fi
    VQ_UNDER_XVFB=1 exec "$VQ_XVFB" 1280x1024x24 bash "$0" "$@"
fi
. "$(dirname "$0")/setup.sh" "$pak"

count=5000
save=$work/game/save
mkdir -p "$save"
# Profiles as the game writes them: names of six characters (nine zero bytes
# of padding), Medium, then the bests block without games. The first is
# current.
zeros='\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00'
for i in $(seq 0 $((count - 1))); do
    printf -v name 'P%05d' "$i"
    printf -v flag '%02x' $((i == 0))
    printf "\\x$flag%s${zeros}\\x01BEST\\x01$zeros$zeros$zeros" "$name" >"$save/$name.usr"
done
stamps() { (cd "$save" && find . -type f -printf '%f %s %T@\n' | sort); }
before=$(stamps)
# Let the clock move past the time stamps above.
sleep 1

ms_since() { echo $((($(date +%s%N) - $1) / 1000000)); }

case=new-player
"$game" -changedir="$work/game" 2>"$work/stderr.txt" &
pid=$!
wait_until_running
window=$(xdotool search --name '^Vornique$' 2>/dev/null | head -1)
[ -n "$window" ] || fail "no window"
xdotool mousemove --window "$window" 512 624 click 1  # "Create" on the start screen
sleep 0.5
xdotool type --delay 60 Dee
sleep 0.3
start=$(date +%s%N)
xdotool key Return
while [ "$(stat -c %s "$save/Dee.usr" 2>/dev/null)" != 53 ] && [ "$(ms_since "$start")" -lt 2000 ]; do
    sleep 0.02
done
took=$(ms_since "$start")
echo "[$case] the new player was on disk after $took ms"
[ "$(stat -c %s "$save/Dee.usr" 2>/dev/null)" = 53 ] || fail "no new player within 2 s"

case=signal-exit
kill -TERM "$pid"
start=$(date +%s%N)
end_within "$pid" 2000
echo "[$case] exit code $rc after $(ms_since "$start") ms"
[ $rc -eq 0 ] || fail "exit code $rc"

case=written
# Dee is current (Hard), P00000 is not any more; nothing else changed.
[ "$(hex "$save/Dee.usr" | cut -c1-36)" = "$(profile 01 Dee 02 | od -An -tx1 -v | tr -d ' \n')" ] ||
    fail "Dee: $(hex "$save/Dee.usr")"
[ "$(hex "$save/P00000.usr")" = "$(profile 00 P00000 01 | od -An -tx1 -v | tr -d ' \n')4245535401$(printf '0%.0s' $(seq 1 60))" ] ||
    fail "P00000: $(hex "$save/P00000.usr")"
changed=$(diff <(echo "$before") <(stamps) | grep '^>' | cut -d' ' -f2 | tr '\n' ' ')
[ "$changed" = "Dee.usr P00000.usr " ] || fail "written: $(echo "$changed" | cut -c1-200)"
ls "$save" | grep -q '\.tmp$' && fail "a temporary file was left"

if [ "$failures" -ne 0 ]; then
    echo "$failures case(s) failed; standard error:"
    cat "$work/stderr.txt"
    exit 1
fi
echo "$count players: a new one and the exit within 2 s, two files written"
