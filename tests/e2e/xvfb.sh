#!/usr/bin/env bash
# Runs a command under a virtual X server of its own: SCREEN COMMAND [ARGS...]
# (SCREEN as WIDTHxHEIGHTxDEPTH). The server picks a free display number itself
# and tells it through a pipe, so tests started side by side never race for
# one number (as picking the first number without a lock file does). Exits
# with the command's exit code, or 1 when no server started within 10 s.
set -u
screen=$1
shift
dir=$(mktemp -d)
mkfifo "$dir/display"
Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp 3>"$dir/display" 2>"$dir/log" &
server=$!
display=""
read -r -t 10 display <"$dir/display"
if [ -z "$display" ]; then
    echo "xvfb.sh: no X server started: $(cat "$dir/log")" >&2
    kill "$server" 2>/dev/null
    wait "$server" 2>/dev/null
    rm -rf "$dir"
    exit 1
fi
unset XAUTHORITY
DISPLAY=:$display "$@"
rc=$?
kill "$server" 2>/dev/null
wait "$server" 2>/dev/null
rm -rf "$dir"
exit $rc
