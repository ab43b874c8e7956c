#!/usr/bin/env bash
# The real program replays the kept demos of the player's main paths
# (tests/demos, recorded by the game tests with VQ_RECORD_DEMOS) on SDL's
# dummy drivers, as fast as it can: each must end by itself with exit code 0,
# leave exactly the player files its recording left, and show its F12
# screenshot again (in the playback folder: a playback adds nothing to the
# player's own screenshots). Then the demo switches' failures, what a playback
# may touch, and a demo recorded under Xvfb with real X input replayed on the
# dummy driver.
# Usage: demos.sh GAME DATA_PAK DEMO_FOLDER COMPARE_TOOL
VQ_XVFB=$(cd "$(dirname "$0")" && pwd)/xvfb.sh
set -u
game=$(realpath "$1")
pak=$(realpath "$2")
demos=$(realpath "$3")
compare=$(realpath "$4")
edit=$(dirname "$(realpath "$0")")/demo_edit.py
. "$(dirname "$0")/setup.sh"
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy

# A fresh game folder ($dir) and per-user folders for one run.
fresh() {
    dir=$work/$1
    rm -rf "$dir" "$work/data" "$work/config" "$work/run"
    mkdir -p "$dir" "$work/data" "$work/config"
    mkdir -m 0700 "$work/run"
    ln -s "$pak" "$dir/data.pak"
    data=$work/data/Vornique
}

# Plays demo $1 in the current folders; sets $rc, stderr in $work/err.txt.
play() {
    timeout 120 "$game" -changedir="$dir" -play=max -demofile="$1" 2>"$work/err.txt"
    rc=$?
}

# Replays demo $1 in a fresh folder named $2.
replay() {
    fresh "$2"
    play "$1"
}

# Starts the game with "$@", waits until it has loaded, ends it with SIGTERM.
run_and_end() {
    "$game" -changedir="$dir" "$@" 2>"$work/err.txt" &
    local pid=$!
    wait_until_running
    kill -TERM "$pid"
    wait "$pid"
    rc=$?
}

# --- every kept demo --------------------------------------------------------------
count=0
for demo in "$demos"/*.dmo; do
    name=$(basename "$demo" .dmo)
    case=$name
    count=$((count + 1))
    replay "$demo" "$name"
    [ "$rc" -eq 0 ] || fail "exit code $rc: $(cat "$work/err.txt")"
    diff -r -x _screenshots "$data/_playback" "$demos/$name" >/dev/null ||
        fail "the player files differ from the recording's: $(diff -r -x _screenshots "$data/_playback" "$demos/$name" 2>&1 | head -3)"
    "$compare" "$data/_playback/_screenshots/screen1.png" "$demos/$name.png" >/dev/null 2>"$work/cmp.txt" ||
        fail "$(cat "$work/cmp.txt")"
    [ ! -e "$data/_screenshots" ] || fail "the playback put screenshots among the player's own"
    grep -q "the playback wrote" "$work/err.txt" || fail "no report of the files the playback wrote"
done
case=kept
[ "$count" -ge 11 ] || fail "only $count demos in $demos"

# --- games with others: each profile counts them in its own block ------------------
case=with-others
for name in two_players computer_forgetful computer_good computer_sharp; do
    for usr in "$demos/$name/save/"*.usr; do
        grep -q WITH "$usr" || fail "$name: $(basename "$usr") has no record of the game with others"
    done
done

# --- the same demo twice: the same picture and files, byte for byte -----------------
# (a solo game, and the computer's moves)
for name in medium_wrong_pairs computer_good; do
    case=twice-$name
    rm -rf "$work/first_files"
    replay "$demos/$name.dmo" first
    cp "$data/_playback/_screenshots/screen1.png" "$work/first.png"
    cp -r "$data/_playback" "$work/first_files"
    replay "$demos/$name.dmo" second
    cmp -s "$work/first.png" "$data/_playback/_screenshots/screen1.png" || fail "the two final pictures differ"
    diff -r "$work/first_files" "$data/_playback" >/dev/null || fail "the two replays saved different files"
done

# --- a demo recorded under other rules is refused, naming the version -------------
case=other-rules
cp "$demos/easy_perfect.dmo" "$work/old.dmo"
printf '\x00\x00\x00\x00' | dd of="$work/old.dmo" bs=1 seek=10 conv=notrunc status=none
replay "$work/old.dmo" old-rules
[ "$rc" -eq 0 ] || fail "exit code $rc"
grep -q "was recorded by Vornique .* under game rules 0; this program plays rules" "$work/err.txt" ||
    fail "message: $(cat "$work/err.txt")"
[ ! -e "$data/_playback" ] && [ ! -e "$data/_screenshots" ] || fail "it played anyway"

# --- a cut demo (the recording crashed mid-record) is refused ---------------------
case=cut
head -c 210 "$demos/easy_perfect.dmo" >"$work/cut.dmo"  # inside a record
replay "$work/cut.dmo" cut
[ "$rc" -eq 0 ] || fail "exit code $rc"
grep -q "\"$work/cut.dmo\" cannot be played: it is cut off at byte" "$work/err.txt" ||
    fail "message: $(cat "$work/err.txt")"

# --- "-play" without a demo file ----------------------------------------------------
case=play-without-file
fresh nofile
timeout 20 "$game" -changedir="$dir" -play 2>"$work/err.txt"
rc=$?
[ "$rc" -eq 0 ] || fail "exit code $rc"
grep -q "\"$data/briskapp.dmo\" cannot be played: No such file" "$work/err.txt" ||
    fail "message: $(cat "$work/err.txt")"

# --- "-record" into a place that cannot be written: the game plays on -----------
case=record-unwritable
fresh unwritable
mkdir -p "$dir/save"
printf '\x01Anna\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x01' >"$dir/save/Anna.usr"
cp "$dir/save/Anna.usr" "$work/Anna.before"
run_and_end -record -demofile="$dir/data.pak/x.dmo"
[ "$rc" -eq 0 ] || fail "exit code $rc"
grep -q "The demo cannot be recorded to \"$dir/data.pak/x.dmo\": Not a directory" "$work/err.txt" ||
    fail "message: $(cat "$work/err.txt")"
# Saved again at exit (with its bests block): the player's 18 bytes are as they were.
cmp -s -n 18 "$dir/save/Anna.usr" "$work/Anna.before" || fail "the profile changed"

# --- "-recnum=N" keeps exactly the last N, and the new one plays ----------------
case=recnum
fresh recnum
mkdir -p "$data"
for n in 1 2 3 4 5; do echo "old $n" >"$data/briskapp$n.dmo"; done
run_and_end -recnum=3
[ "$rc" -eq 0 ] || fail "exit code $rc: $(cat "$work/err.txt")"
[ "$(cd "$data" && echo briskapp*.dmo)" = "briskapp4.dmo briskapp5.dmo briskapp6.dmo" ] &&
    [ -s "$data/briskapp6.dmo" ] || fail "numbered demos: $(ls "$data")"
timeout 60 "$game" -changedir="$dir" -playnum=1 -play=max 2>"$work/err.txt"
rc=$?
[ "$rc" -eq 0 ] || fail "replaying it: exit code $rc"
grep -q "cannot be played" "$work/err.txt" && fail "replaying it: $(cat "$work/err.txt")"

# --- a second copy with "-recnum=1" leaves the running copy's recording alone -----
case=recnum-second-copy
fresh recnum-second
"$game" -changedir="$dir" -recnum=1 2>"$work/err.txt" &
pid=$!
wait_until_running
timeout 20 "$game" -changedir="$dir" -recnum=1 2>"$work/err2.txt"
rc=$?
[ "$rc" -eq 0 ] || fail "the second copy: exit code $rc"
[ -s "$data/briskapp1.dmo" ] || fail "the running copy's recording is gone: $(ls "$data")"
kill -TERM "$pid"
wait "$pid"
[ "$(cd "$data" && echo briskapp*.dmo)" = "briskapp1.dmo" ] || fail "numbered demos: $(ls "$data")"
timeout 60 "$game" -changedir="$dir" -playnum=1 -play=max 2>"$work/err.txt"
rc=$?
[ "$rc" -eq 0 ] && ! grep -q "cannot be played" "$work/err.txt" ||
    fail "replaying it: exit code $rc: $(cat "$work/err.txt")"

# --- a link at _playback: refused, and what it points at stays -------------------
case=playback-link
fresh playback-link
mkdir -p "$data" "$work/precious"
echo keep >"$work/precious/file.txt"
ln -s "$work/precious" "$data/_playback"
play "$demos/easy_perfect.dmo"
[ "$rc" -eq 0 ] || fail "exit code $rc"
grep -q "cannot be played: its playback folder \"$data/_playback/\" cannot be used: it is a link" \
    "$work/err.txt" || fail "message: $(cat "$work/err.txt")"
[ "$(cat "$work/precious/file.txt" 2>/dev/null)" = keep ] || fail "the link's target was emptied"
# Not the player's: another user's folder there is refused too.
rm "$data/_playback"
mkdir "$data/_playback"
echo theirs >"$data/_playback/file.txt"
chown 4321 "$data/_playback" 2>/dev/null && {
    play "$demos/easy_perfect.dmo"
    grep -q "cannot be used: it belongs to another user" "$work/err.txt" ||
        fail "foreign folder: $(cat "$work/err.txt")"
    [ -e "$data/_playback/file.txt" ] || fail "another user's folder was emptied"
}

# --- a demo that does not end the game: the program ends after the playback -------
case=open-end
python3 "$edit" "$demos/first_start.dmo" "$work/open.dmo" open-end
replay "$work/open.dmo" open-end
[ "$rc" -eq 0 ] || fail "exit code $rc (124: it played on after the demo)"
grep -q "playback stopped: the demo has been played to its end" "$work/err.txt" &&
    grep -q "the playback wrote" "$work/err.txt" || fail "closing messages: $(cat "$work/err.txt")"

# --- F12 pressed 200 times: at most 100 pictures, in the playback folder ---------
case=screenshots
python3 "$edit" "$demos/first_start.dmo" "$work/shots.dmo" screenshots 200
replay "$work/shots.dmo" screenshots
[ "$rc" -eq 0 ] || fail "exit code $rc: $(cat "$work/err.txt")"
shots=$(ls "$data/_playback/_screenshots" 2>/dev/null | wc -l)
[ "$shots" -eq 100 ] || fail "$shots screenshots in the playback folder"
[ ! -e "$data/_screenshots" ] || fail "screenshots among the player's own: $(ls "$data/_screenshots" | wc -l)"
grep -q "no more screenshots: a playback takes at most 100" "$work/err.txt" || fail "no word of the limit"

# --- a demo over the size limit is called too big, not cut off ----------------------
case=too-big
cp "$demos/easy_perfect.dmo" "$work/big.dmo"
truncate -s 100M "$work/big.dmo"
replay "$work/big.dmo" too-big
[ "$rc" -eq 0 ] || fail "exit code $rc"
grep -q "\"$work/big.dmo\" cannot be played: it is larger than the 64 MiB a demo may hold" \
    "$work/err.txt" || fail "message: $(cat "$work/err.txt")"

# --- recorded with real X input under Xvfb, replayed on the dummy driver ----------
case=xvfb
if command -v Xvfb >/dev/null && command -v xdotool >/dev/null &&
    (export -n SDL_VIDEODRIVER && "$VQ_XVFB" 640x480x24 true) 2>/dev/null; then
    fresh xvfb
    cat >"$work/record.sh" <<EOF
"$game" -changedir="$dir" -record -demofile="$work/x.dmo" 2>"$work/rec.txt" &
pid=\$!
sleep 3
xdotool type --delay 60 Kim
sleep 0.3
xdotool key Return
sleep 1
xdotool key F12
sleep 0.5
kill -TERM \$pid
wait \$pid
EOF
    (export -n SDL_VIDEODRIVER SDL_AUDIODRIVER && "$VQ_XVFB" 1024x768x24 bash "$work/record.sh")
    if [ -s "$data/_screenshots/screen1.png" ]; then
        cp "$data/_screenshots/screen1.png" "$work/x.png"
        cp -r "$dir/save" "$work/x_save"
        replay "$work/x.dmo" xreplay
        [ "$rc" -eq 0 ] || fail "exit code $rc: $(cat "$work/err.txt")"
        "$compare" "$data/_playback/_screenshots/screen1.png" "$work/x.png" >/dev/null 2>"$work/cmp.txt" ||
            fail "$(cat "$work/cmp.txt")"
        diff -r "$data/_playback/save" "$work/x_save" >/dev/null || fail "the profiles differ"
    else
        fail "the recording under Xvfb took no screenshot: $(cat "$work/rec.txt")"
    fi
else
    echo "SKIP [xvfb]: no Xvfb or xdotool here; the other cases ran"
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures demo case(s) failed"
    exit 1
fi
echo "all demo cases passed ($count kept demos)"
