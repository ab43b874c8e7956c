#!/usr/bin/env bash
# The real program on screens it does not fit, without a window manager:
# on 640 x 480 its full-screen window covers the screen exactly (so "Exit"
# and the whole field are on it); on an 8-bit screen it says the colour depth
# cannot be used and, told to end while saying so, ends at once with exit
# code 1; on 1280 x 1024 it opens windowed, Alt+Enter makes the window cover
# the screen (the picture is laid out for the size the window really has)
# and a second Alt+Enter brings the window back. Each case runs on a virtual
# X screen of its own.
# Usage: small_screen.sh GAME DATA_PAK
VQ_XVFB=$(cd "$(dirname "$0")" && pwd)/xvfb.sh
set -u
game=$1
pak=$2

# One case, inside its own X server: SCREEN EXPECTED_WINDOW EXPECTED_RC.
if [ -n "${VQ_SCREEN_CASE:-}" ]; then
    read -r screen expected_window expected_rc switch <<<"$VQ_SCREEN_CASE"
    expected_window=${expected_window//_/ }
    . "$(dirname "$0")/setup.sh" "$pak"
    case=$screen
    "$game" -changedir="$work/game" 2>"$work/stderr.txt" &
    pid=$!
    found=""
    for _ in $(seq 1 100); do
        found=$(xwininfo -root -tree | grep -o "\"$expected_window\": ([^)]*)  [0-9x+-]*" | head -1)
        [ -n "$found" ] && break
        sleep 0.1
    done
    echo "[$case] $found"
    [ -n "$found" ] || fail "no window \"$expected_window\"; the game said: $(cat "$work/stderr.txt")"
    # The game's window geometry once it is WIDTHxHEIGHT (at most 5 s).
    window_becomes() {
        local want=$1
        for _ in $(seq 1 50); do
            found=$(xwininfo -root -tree | grep -o '"Vornique": ([^)]*)  [0-9x+-]*' | head -1)
            [[ "${found##* }" == $want* ]] && return 0
            sleep 0.1
        done
        return 1
    }
    if [ "${switch:-}" = switch ]; then
        window_becomes 1024x768 || fail "windowed at ${found##* }, not 1024x768"
        sleep 1  # the data loaded
        xdotool key alt+Return
        window_becomes "${screen%x*}+0+0" ||
            fail "after Alt+Enter the window is at ${found##* }, not ${screen%x*}+0+0"
        xdotool key alt+Return
        window_becomes 1024x768 || fail "after a second Alt+Enter at ${found##* }, not 1024x768"
        echo "[$case] switched to full screen and back"
    elif [ "$expected_window" = Vornique ]; then
        size=${screen%x*}
        [ "${found##* }" = "$size+0+0" ] || fail "the window is at ${found##* }, not $size+0+0"
    else
        sleep 0.5
    fi
    helpers=$(pgrep -P "$pid")
    kill -TERM "$pid"
    end_within "$pid" 2000
    echo "[$case] exit code $rc"
    [ "$rc" -eq "$expected_rc" ] || fail "exit code $rc"
    if [ "$expected_rc" -ne 0 ]; then
        grep -q "color depth" "$work/stderr.txt" || fail "the colour depth was not named"
    fi
    for helper in $helpers; do
        kill -0 "$helper" 2>/dev/null && { fail "process $helper outlived the game"; kill -9 "$helper"; }
    done
    exit $((failures != 0))
fi

status=0
# screen   window shown   exit code after SIGTERM   Alt+Enter twice
while read -r screen window rc switch; do
    VQ_SCREEN_CASE="$screen $window $rc ${switch:-}" "$VQ_XVFB" $screen bash "$0" "$@" ||
        status=1
done <<'CASES'
640x480x24 Vornique 0
1024x768x8 FATAL_ERROR 1
1280x1024x24 Vornique 0 switch
CASES
[ $status -eq 0 ] && echo "small screens: all cases passed"
exit $status
