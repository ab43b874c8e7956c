#!/usr/bin/env bash
# Without a display the program explains how to run it and exits with 1.
set -u
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER "$1" 2>&1)
rc=$?
echo "$out"
[ $rc -eq 1 ] || { echo "expected exit code 1, got $rc"; exit 1; }
grep -q "xvfb-run" <<<"$out" || { echo "the message does not name xvfb-run"; exit 1; }
grep -q "No display" <<<"$out" || { echo "the message does not say what is wrong"; exit 1; }

# A display that is named but cannot be reached: SDL's own reason is shown too,
# so nobody has to guess why "No display" appears on a desktop.
out=$(env -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER DISPLAY=:97 "$1" 2>&1)
rc=$?
echo "$out"
[ $rc -eq 1 ] || { echo "expected exit code 1, got $rc"; exit 1; }
grep -q "DISPLAY=:97: " <<<"$out" || { echo "SDL's reason is missing"; exit 1; }
