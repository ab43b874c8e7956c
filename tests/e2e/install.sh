#!/usr/bin/env bash
# The game as a player installs it: the Debian package built with CPack,
# unpacked into a scratch root (nothing is installed on this machine), its
# desktop entry and AppStream data validated, lintian without errors, and
# the unpacked game started under Xvfb with a scratch HOME: the first start
# (a name, Enter), then Escape and "Yes". The profile must land in
# $XDG_DATA_HOME/Vornique/save/ and nothing may be written into the root.
# Usage: install.sh BUILD_DIR
VQ_XVFB=$(cd "$(dirname "$0")" && pwd)/xvfb.sh
set -u
build=$(realpath "$1")
. "$(dirname "$0")/setup.sh"

case=package
cpack --config "$build/CPackConfig.cmake" -B "$work/pkg" >"$work/cpack.txt" 2>&1 ||
    fail "cpack: $(tail -5 "$work/cpack.txt")"
deb=$(ls "$work"/pkg/vornique_*.deb 2>/dev/null | head -1)
if [ -z "$deb" ]; then
    echo "FAIL [package]: no package was made"
    exit 1
fi
root=$work/root
dpkg-deb -x "$deb" "$root" || fail "dpkg-deb -x"
for f in usr/games/vornique usr/bin/vornique usr/share/vornique/data.pak \
    usr/share/vornique/README.md usr/share/vornique/CREDITS.md \
    usr/share/applications/io.vornique.Vornique.desktop \
    usr/share/metainfo/io.vornique.Vornique.metainfo.xml \
    usr/share/icons/hicolor/48x48/apps/io.vornique.Vornique.png \
    usr/share/icons/hicolor/256x256/apps/io.vornique.Vornique.png \
    usr/share/icons/hicolor/scalable/apps/io.vornique.Vornique.svg \
    usr/share/doc/vornique/copyright; do
    [ -e "$root/$f" ] || fail "missing /$f"
done

case=desktop-entry
desktop-file-validate "$root/usr/share/applications/io.vornique.Vornique.desktop" >"$work/v.txt" 2>&1 ||
    fail "$(cat "$work/v.txt")"
[ ! -s "$work/v.txt" ] || fail "$(cat "$work/v.txt")"
case=metainfo
appstreamcli validate --no-net "$root/usr/share/metainfo/io.vornique.Vornique.metainfo.xml" \
    >"$work/v.txt" 2>&1 || fail "$(cat "$work/v.txt")"
case=translated
# Every language of the game names and describes it in the menus and software centres.
for lang in $(cat "$(dirname "$0")/../../po/LINGUAS"); do
    for key in GenericName Comment Keywords; do
        grep -q "^$key\[$lang\]=" "$root/usr/share/applications/io.vornique.Vornique.desktop" ||
            fail "the desktop entry has no $key in \"$lang\""
    done
    grep -q "<summary xml:lang=\"$lang\">" "$root/usr/share/metainfo/io.vornique.Vornique.metainfo.xml" ||
        fail "the AppStream data has no summary in \"$lang\""
done
case=lintian
if command -v lintian >/dev/null; then
    lintian "$deb" >"$work/lintian.txt" 2>&1
    grep -q '^E:' "$work/lintian.txt" && fail "$(grep '^E:' "$work/lintian.txt")"
else
    echo "SKIP [lintian]: lintian is not installed"
fi

listing() { (cd "$root" && find . -printf '%p %s %T@ %m\n' | sort); }

# No per-user data folder can be had (XDG_DATA_HOME a file, or a path longer
# than the system takes) while the install folder could be written: the game
# plays, says once where saving failed, ends on SIGTERM with exit code 0
# within 2 s, and writes nothing into the install folder.
mkdir -p "$work/home"
echo "not a folder" >"$work/data-file"
long=$work/$(printf 'd%.0s' $(seq 1 5000))
for bad in "$work/data-file" "$long"; do
    case=no-data-folder-$([ "$bad" = "$long" ] && echo too-long || echo a-file)
    rm -rf "$work/run" && mkdir -m 0700 "$work/run"
    before=$(listing)
    signal_and_wait TERM env HOME="$work/home" XDG_DATA_HOME="$bad" SDL_VIDEODRIVER=dummy \
        SDL_AUDIODRIVER=dummy "$root/usr/games/vornique"
    [ $rc -eq 0 ] || fail "exit code $rc"
    [ "$before" = "$(listing)" ] || fail "the install folder changed: $(diff <(echo "$before") <(listing) | head -5)"
    [ "$(grep -c "cannot be saved in ${bad:0:60}" "$work/stderr.txt")" -eq 1 ] ||
        fail "not told once where: $(head -c 300 "$work/stderr.txt")"
done

case=first-start
export -n SDL_VIDEODRIVER SDL_AUDIODRIVER
export HOME=$work/home XDG_DATA_HOME=$work/home/.local/share
mkdir -p "$HOME"
before=$(listing)
if command -v Xvfb >/dev/null && command -v xdotool >/dev/null && "$VQ_XVFB" 640x480x24 true 2>/dev/null; then
    cat >"$work/play.sh" <<SCRIPT
"$root/usr/bin/vornique" 2>"$work/err.txt" &
pid=\$!
sleep 3
xdotool type --delay 60 Ida
sleep 0.3
xdotool key Return
sleep 1
xdotool key Escape
sleep 0.5
xdotool key Tab Tab
sleep 0.3
xdotool key Return
for _ in \$(seq 1 100); do
    kill -0 \$pid 2>/dev/null || break
    sleep 0.1
done
kill -0 \$pid 2>/dev/null && { kill -KILL \$pid; echo 124 >"$work/rc.txt"; exit; }
wait \$pid
echo \$? >"$work/rc.txt"
SCRIPT
    (cd "$work" && "$VQ_XVFB" 1280x1024x24 bash "$work/play.sh")
    rc=$(cat "$work/rc.txt" 2>/dev/null || echo none)
    [ "$rc" = 0 ] || fail "exit code $rc: $(cat "$work/err.txt")"
    profile=$XDG_DATA_HOME/Vornique/save/Ida.usr
    [ "$(stat -c %s "$profile" 2>/dev/null)" = 53 ] || fail "no profile at $profile: $(ls -R "$XDG_DATA_HOME" 2>&1 | head)"
    [ -s "$XDG_DATA_HOME/Vornique/options.opt" ] || fail "no options in $XDG_DATA_HOME/Vornique"
    [ "$before" = "$(listing)" ] || fail "the unpacked root changed: $(diff <(echo "$before") <(listing) | head -5)"
else
    echo "SKIP [first-start]: Xvfb cannot start here; the package checks ran"
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures install case(s) failed"
    exit 1
fi
echo "the package installs, validates and plays"
