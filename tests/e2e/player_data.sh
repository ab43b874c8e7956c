#!/usr/bin/env bash
# The real program, on SDL's dummy drivers, against what a player's machine
# does to saved data: termination signals, odd files in save/, a full disk
# and a read-only game folder. In every case the program ends by itself with
# exit code 0 within 2 s of the signal, and every profile on disk is either
# the previous good one or a complete new one.
# Usage: player_data.sh GAME DATA_PAK
set -u
game=$1
pak=$2
# As root, everything runs in a mount namespace of its own, so the small
# tmpfs and the read-only bind mount below vanish with the test.
if [ "$(id -u)" -eq 0 ] && [ -z "${VQ_PRIVATE_MOUNTS:-}" ] && unshare -m true 2>/dev/null; then
    VQ_PRIVATE_MOUNTS=1 exec unshare -m bash "$0" "$@"
fi
. "$(dirname "$0")/setup.sh"
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy

# A game folder with the data and one player, Anna (not current, Medium).
new_game_folder() {
    dir=$work/$1
    mkdir -p "$dir/save"
    ln -s "$pak" "$dir/data.pak"
    profile 00 Anna 01 >"$dir/save/Anna.usr"
    rm -rf "$work/run" && mkdir -m 0700 "$work/run"
}

# Starts the game (through "$@" as a prefix, e.g. a namespace) on $dir; see
# signal_and_wait.
run_and_signal() {
    local sig=$1
    shift
    signal_and_wait "$sig" "$@" "$game" -changedir="$dir"
}

private_note=${VQ_PRIVATE_MOUNTS:+" (private mounts)"}
echo "player-data cases$private_note"
# Saved: the 18 bytes, then the bests block ("BEST", version 1, no games yet).
bests_none="4245535401$(printf '0%.0s' $(seq 1 60))"
saved_anna="$(profile 01 Anna 01 | od -An -tx1 -v | tr -d ' \n')$bests_none"
old_anna=$(profile 00 Anna 01 | od -An -tx1 -v | tr -d ' \n')

# 1. Signals: saved as at a confirmed exit (Anna became current), exit code 0.
for sig in TERM INT HUP; do
    case=signal-$sig
    new_game_folder "$case"
    run_and_signal "$sig"
    [ $rc -eq 0 ] || fail "exit code $rc"
    [ "$(hex "$dir/save/Anna.usr")" = "$saved_anna" ] || fail "profile $(hex "$dir/save/Anna.usr")"
    [ "$(hex "$dir/options.opt")" = "001400280003" ] || fail "options $(hex "$dir/options.opt")"
done

# 2. Odd files in save/: a FIFO (would hang the start), a folder and a link to
# a file elsewhere. None becomes a player; the link and its target stay.
case=odd-files
new_game_folder "$case"
mkfifo "$dir/save/f.usr"
mkdir "$dir/save/x.usr"
profile 01 root 00 >"$work/outside"
ln -s "$work/outside" "$dir/save/evil.usr"
run_and_signal TERM
[ $rc -eq 0 ] || fail "exit code $rc"
[ "$(hex "$dir/save/Anna.usr")" = "$saved_anna" ] || fail "Anna not saved as current"
[ -L "$dir/save/evil.usr" ] || fail "the link was replaced"
[ "$(hex "$work/outside")" = "$(profile 01 root 00 | od -An -tx1 -v | tr -d ' \n')" ] ||
    fail "the link's target changed"
[ ! -e "$dir/save/root.usr" ] || fail "the link's target became a player"
[ -p "$dir/save/f.usr" ] && [ -d "$dir/save/x.usr" ] || fail "an odd file was touched"

# 3 and 4. Nowhere to write: a full disk, then a read-only game folder: a
# small tmpfs and a read-only bind mount where mounts are private, otherwise a
# file-size limit and file modes.
check_unwritable() {
    [ $rc -eq 0 ] || fail "exit code $rc"
    [ "$(hex "$dir/save/Anna.usr")" = "$old_anna" ] || fail "the old profile changed"
    ls "$dir/save" | grep -q '\.tmp$' && fail "a temporary file was left"
    [ "$(grep -c "cannot be saved" "$work/stderr.txt")" -eq 1 ] || fail "not told exactly once"
}

case=full-disk
new_game_folder "$case"
if [ -n "${VQ_PRIVATE_MOUNTS:-}" ]; then
    mv "$dir" "$work/template"
    mkdir "$dir"
    mount -t tmpfs -o size=64k tmpfs "$dir"
    cp -a "$work/template/." "$dir/"
    dd if=/dev/zero of="$dir/filler" bs=4k 2>/dev/null
    run_and_signal TERM
    check_unwritable
    umount "$dir"
elif (ulimit -f 0) 2>/dev/null; then
    run_and_signal TERM bash -c 'ulimit -f 0 && exec "$@"' _
    check_unwritable
else
    echo "[$case] skipped: neither a tmpfs nor a file-size limit can be had here"
fi

case=read-only-folder
new_game_folder "$case"
if [ -n "${VQ_PRIVATE_MOUNTS:-}" ]; then
    mount --bind "$dir" "$dir" && mount -o remount,bind,ro "$dir"
    run_and_signal TERM
    check_unwritable
    umount "$dir"
else
    chmod a-w "$dir" "$dir/save"
    run_and_signal TERM
    check_unwritable
    chmod u+w "$dir" "$dir/save"
fi

# 5. Missing or damaged data: one message naming data.pak, a failure code,
# nothing written.
for damage in missing damaged; do
    case=data-$damage
    new_game_folder "$case"
    rm "$dir/data.pak"
    [ $damage = damaged ] && head -c 4096 /dev/urandom >"$dir/data.pak"
    timeout -k 5 20 "$game" -changedir="$dir" 2>"$work/stderr.txt"
    rc=$?
    echo "[$case] exit code $rc"
    [ $rc -ne 0 ] && [ $rc -ne 124 ] || fail "exit code $rc"
    [ "$(grep -c '"data.pak"' "$work/stderr.txt")" -eq 1 ] || fail "data.pak not named once"
    grep -q "FATAL ERROR" "$work/stderr.txt" && fail "font errors reached the player"
    [ "$(hex "$dir/save/Anna.usr")" = "$old_anna" ] || fail "the profile changed"
    [ ! -e "$dir/options.opt" ] || fail "options were written"
done

# 6. Two copies on one game folder: each has its own runtime folder, so both
# run (a session and a nested one, two logins). Both end on the same SIGTERM
# and both save Anna and the options at once, round after round. The profile
# on disk is never short or missing, not even for a moment, nobody is told
# "cannot be saved", and no temporary file stays.
case=two-copies
new_game_folder "$case"
for round in $(seq 1 12); do
    profile 00 Anna 01 >"$dir/save/Anna.usr"  # not current: both copies write it at exit
    rm -f "$dir/options.opt"
    pids=()
    for copy in a b; do
        rm -rf "$work/run-$copy" && mkdir -m 0700 "$work/run-$copy"
        XDG_RUNTIME_DIR=$work/run-$copy "$game" -changedir="$dir" 2>"$work/stderr-$copy.txt" &
        pids+=($!)
    done
    for copy in a b; do
        for _ in $(seq 1 100); do
            [ -S "$work/run-$copy/NotifyVornique.sock" ] && break
            sleep 0.05
        done
    done
    sleep 2
    # Watches the profile while both copies write it.
    touch "$work/watching"
    (
        while [ -e "$work/watching" ]; do
            size=$(stat -c %s "$dir/save/Anna.usr" 2>/dev/null || echo missing)
            [ "$size" = 18 ] || [ "$size" = 53 ] || echo "$size" >>"$work/bad-sizes.txt"
        done
    ) &
    watcher=$!
    kill -TERM "${pids[@]}"
    for pid in "${pids[@]}"; do
        end_within "$pid" 2000
        [ $rc -eq 0 ] || fail "round $round: exit code $rc"
    done
    rm -f "$work/watching"
    wait "$watcher"
    [ "$(hex "$dir/save/Anna.usr")" = "$saved_anna" ] ||
        fail "round $round: profile $(hex "$dir/save/Anna.usr")"
    [ "$(hex "$dir/options.opt")" = "001400280003" ] ||
        fail "round $round: options $(hex "$dir/options.opt")"
    grep -h "cannot be saved" "$work"/stderr-[ab].txt && fail "round $round: told it cannot save"
    ls "$dir/save" "$dir" | grep -q '\.tmp$' && fail "round $round: a temporary file was left"
done
[ -s "$work/bad-sizes.txt" ] && fail "the profile was seen as $(sort -u "$work/bad-sizes.txt" | tr '\n' ' ')"
echo "[$case] 12 rounds"

if [ $failures -ne 0 ]; then
    echo "$failures check(s) failed; standard error of the last run:"
    cat "$work/stderr.txt"
    exit 1
fi
echo "all player-data cases passed"
