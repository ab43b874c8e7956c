#!/usr/bin/env bash
# The real program on SDL's dummy drivers against a damaged or missing
# archive, damaged pieces inside it, odd profiles and options, no audio
# device and a missing or unwritable home. Every case gets its own game and
# runtime folders; the game either ends by itself with a message (exit 1,
# nothing to play) or plays and ends on SIGTERM with exit code 0 within 2 s,
# and no file that was on disk is lost or damaged. Signals, a full disk, a
# read-only game folder, no display and a lost display have their own
# scripts (player_data.sh, no_display.sh, display_lost.sh). Also a game
# folder whose path holds quotes, memory and open-file limits, and closed
# standard streams.
# Usage: bad_env.sh GAME DATA_PAK PAK_TOOL
set -u
game=$(realpath "$1")
pak=$(realpath "$2")
paktool=$(realpath "$3")
. "$(dirname "$0")/setup.sh"
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy

# A fresh game folder $dir (with the real data unless told otherwise).
fresh() {
    dir=$work/$1
    rm -rf "$dir" "$work/run"
    mkdir -p "$dir"
    mkdir -m 0700 "$work/run"
    [ "${2:-link}" = link ] && ln -s "$pak" "$dir/data.pak"
}

# Runs the game; when it has not ended by itself after 3 s it gets SIGTERM
# and 2 s to end. Sets $rc (124: it hung) and $err (its standard error).
run() {
    "$game" -changedir="$dir" 2>"$work/err.txt" &
    local pid=$!
    for _ in $(seq 1 30); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$pid" 2>/dev/null; then
        kill -TERM "$pid"
        for _ in $(seq 1 20); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
    fi
    if kill -0 "$pid" 2>/dev/null; then
        kill -KILL "$pid"
        wait "$pid"
        rc=124
    else
        wait "$pid"
        rc=$?
    fi
    err=$(cat "$work/err.txt")
}

# --- the archive ---------------------------------------------------------------------
missing='The game'"'"'s data is missing or damaged: "data.pak" next to the program could not be read.'
for c in missing empty cut-in-directory cut-in-data random; do
    case=archive-$c
    fresh "$case" none
    case $c in
        missing) ;;
        empty) : >"$dir/data.pak" ;;
        cut-in-directory) head -c 50 "$pak" >"$dir/data.pak" ;;
        cut-in-data) head -c 100000 "$pak" >"$dir/data.pak" ;;
        random) head -c 300000 /dev/urandom >"$dir/data.pak" ;;
    esac
    run
    [ "$rc" -eq 1 ] || fail "exit code $rc (1 expected): $err"
    [[ "$err" == *"$missing"* ]] || fail "message: $err"
done

# --- damaged pieces inside the archive: the game plays on ------------------------------
"$paktool" extract "$pak" "$work/unpacked" >/dev/null || fail "extract"
for piece in images/start_fon.jpg images/vis_cover/01.jpg sounds/back.ogg \
    fonts/KBChopinScript36.txt; do
    case=inside-$piece
    fresh "inside-$(basename "$piece")" none
    cp -r "$work/unpacked" "$work/pieces"
    head -c 3000 /dev/urandom >"$work/pieces/$piece"
    "$paktool" create "$dir/data.pak" "$work/pieces" >/dev/null
    rm -rf "$work/pieces"
    run
    [ "$rc" -eq 0 ] || fail "exit code $rc: $err"
    if [[ $piece == fonts/* ]]; then
        # The player is told once about the font, however often it is used.
        [ "$(grep -c "Font Descriptor Error in $piece" <<<"$err")" -eq 1 ] ||
            fail "font message not told exactly once: $err"
    fi
done

# --- odd profiles: what cannot be a profile stays as it is ---------------------------
case=profiles
fresh profiles
mkdir -p "$dir/save"
profile() { # current name difficulty-high difficulty-low
    printf "\\x$1"
    printf '%s' "$2"
    head -c $((15 - ${#2})) /dev/zero
    printf "\\x$3\\x$4"
}
: >"$dir/save/zero.usr"
head -c 5 /dev/urandom >"$dir/save/five.usr"
(profile 01 Big 00 01 && head -c 1000000 /dev/zero) >"$dir/save/Big.usr"
profile 00 ABCDEFGHIJKLMNO 00 01 >"$dir/save/Long.usr"
printf '\x00Zo\xc3\xab\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x01' >"$dir/save/Zoe.usr"
profile 00 Ff 00 ff >"$dir/save/Ff.usr"
profile 00 Gg ff ff >"$dir/save/Gg.usr"
mkdir "$dir/save/x.usr"
echo "not a profile" >"$work/outside"
ln -s "$work/outside" "$dir/save/evil.usr"
cp -a "$dir/save" "$work/save.before"
run
[ "$rc" -eq 0 ] || fail "exit code $rc: $err"
for f in zero five Long Zoe; do
    cmp -s "$dir/save/$f.usr" "$work/save.before/$f.usr" || fail "$f.usr changed"
done
[ "$(cat "$work/outside")" = "not a profile" ] || fail "the link was followed for writing"
[ -L "$dir/save/evil.usr" ] && [ -d "$dir/save/x.usr" ] || fail "the link or the folder changed"
# Loaded players are saved whole: their 18 bytes (difficulty read as Hard) and the block.
for f in Ff Gg; do
    [ "$(head -c 18 "$dir/save/$f.usr" | od -An -tx1 | tr -d ' \n' | tail -c 4)" = 0002 ] ||
        fail "$f.usr difficulty"
    [ "$(stat -c %s "$dir/save/$f.usr")" -eq 53 ] || fail "$f.usr size"
done
[ "$(stat -c %s "$dir/save/Big.usr")" -eq 1000018 ] || fail "Big.usr lost its tail"
[ -s "$dir/save/ABCDEFGHIJKLMNO.usr" ] || fail "the fifteen-character name was not saved"

# --- odd options: read as far as they go, written back as six bytes ------------------
for c in 0:"" 3:'\x00\x05\x00' ff:'\xff\xff\xff\xff\xff\xff'; do
    case=options-${c%%:*}
    fresh "$case"
    printf "${c#*:}" >"$dir/options.opt"
    run
    [ "$rc" -eq 0 ] || fail "exit code $rc: $err"
    want=$(case ${c%%:*} in 0) echo 001400280003 ;; 3) echo 000500280003 ;; ff) echo ffffffffffff ;; esac)
    [ "$(od -An -tx1 "$dir/options.opt" | tr -d ' \n')" = "$want" ] ||
        fail "options $(od -An -tx1 "$dir/options.opt")"
done
case=options-1MB
fresh "$case"
head -c 1000000 /dev/urandom >"$dir/options.opt"
first=$(head -c 6 "$dir/options.opt" | od -An -tx1 | tr -d ' \n')
run
[ "$rc" -eq 0 ] || fail "exit code $rc: $err"
[ "$(od -An -tx1 "$dir/options.opt" | tr -d ' \n')" = "$first" ] || fail "options not carried"

# --- no audio device: the game plays silent ------------------------------------------
case=no-audio
fresh "$case"
SDL_AUDIODRIVER=no-such-driver run
[ "$rc" -eq 0 ] || fail "exit code $rc: $err"

# --- no home, no XDG folders, or none writable ---------------------------------------
case=no-home
fresh "$case"
(unset HOME XDG_DATA_HOME XDG_CONFIG_HOME XDG_RUNTIME_DIR && run && echo "$rc" >"$work/rc")
[ "$(cat "$work/rc")" -eq 0 ] || fail "exit code $(cat "$work/rc")"
case=unwritable-home
fresh "$case"
(export HOME=/proc/no-home XDG_DATA_HOME=/proc/no-data XDG_CONFIG_HOME=/proc/no-config \
    XDG_RUNTIME_DIR=/proc/no-run && run && echo "$rc" >"$work/rc")
[ "$(cat "$work/rc")" -eq 0 ] || fail "exit code $(cat "$work/rc")"

# --- a game folder whose path holds quotes and a space ------------------------------
case=quoted-folder
fresh "John's \"my games\""
cp "$game" "$dir/vornique"
(game=$dir/vornique && run && echo "$rc" >"$work/rc")
[ "$(cat "$work/rc")" -eq 0 ] || fail "exit code $(cat "$work/rc"): $(cat "$work/err.txt")"

# --- resource limits: the game plays, or says what ran out and exits with 1 ---------
for c in v:122880 v:204800 n:10; do
    case=ulimit-${c/:/-}
    fresh "$case"
    (ulimit "-${c%%:*}" "${c#*:}" && run && echo "$rc" >"$work/rc")
    rc=$(cat "$work/rc")
    err=$(cat "$work/err.txt")
    case $c in
        v:204800) [ "$rc" -eq 0 ] || fail "exit code $rc: $err" ;;
        v:*)
            [ "$rc" -eq 1 ] || fail "exit code $rc (1 expected): $err"
            [[ "$err" == *"Too little memory for the game"*"ulimit -v"* ]] || fail "message: $err"
            ;;
        n:*)
            [ "$rc" -eq 1 ] || fail "exit code $rc (1 expected): $err"
            [[ "$err" == *"Too few open files for the game"*"ulimit -n"* ]] || fail "message: $err"
            ;;
    esac
    [[ "$err" != *"$missing"* ]] || fail "the data was blamed for a limit"
done

# --- closed standard streams: no file the game opens stands in for them -------------
# Without data the game has a message to write; it must not land in the
# one-copy lock file, which would otherwise take the place of a closed stream.
for closed in "1>&- 2>&-" "0<&- 2>&-" "0<&- 1>&- 2>&-"; do
    case="closed-streams $closed"
    fresh closed-streams none
    eval '"$game" -changedir="$dir"' "$closed"
    rc=$?
    [ "$rc" -eq 1 ] || fail "exit code $rc (1 expected)"
    for lock in "$work"/run/*.lock; do
        [ ! -s "$lock" ] || fail "$(basename "$lock") holds: $(head -c 200 "$lock")"
    done
done

if [ "$failures" -ne 0 ]; then
    echo "$failures bad-environment case(s) failed"
    exit 1
fi
echo "all bad-environment cases passed"
