#!/usr/bin/env bash
# The player's own pictures in the real program: a set of 12 generated
# pictures given with "-cards=" is what the count-down shows (by colour at
# each card's centre); a broken set (one picture cut off, nine left) is
# refused with a message naming the file, and the game plays with its own
# cards; a broken set among the player's own sets is named at start.
# Usage: cards.sh GAME DATA_PAK DEMO_FOLDER COMPARE_TOOL
set -u
game=$(realpath "$1")
pak=$(realpath "$2")
demos=$(realpath "$3")
compare=$(realpath "$4")
pictures=$(dirname "$(realpath "$0")")/card_pictures.py
. "$(dirname "$0")/setup.sh"
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
# A screenshot in the middle of a Hard count-down.
demo=$demos/menu_and_back.dmo

# Plays the demo in a fresh game folder $1 with the further switches "${@:2}";
# sets $rc and $shot, standard error in $work/err.txt.
play() {
    local dir=$work/game-$1
    shift
    rm -rf "$dir" "$work/data/Vornique/_playback"
    mkdir -p "$dir"
    ln -s "$pak" "$dir/data.pak"
    timeout 120 "$game" -changedir="$dir" -play=max -demofile="$demo" "$@" 2>"$work/err.txt"
    rc=$?
    shot=$work/data/Vornique/_playback/_screenshots/screen1.png
}

# --- a set of 12 pictures: the count-down shows them -------------------------------
case=own-set
mkdir -p "$work/set"
python3 "$pictures" write "$work/set" 12
play own -cards="$work/set"
[ "$rc" -eq 0 ] || fail "exit code $rc: $(cat "$work/err.txt")"
grep -q "cannot be used" "$work/err.txt" && fail "refused: $(cat "$work/err.txt")"
python3 "$pictures" check "$shot" 12 || fail "the count-down does not show the set's pictures"

# --- a relative path means the folder the game was started from --------------------
case=relative-path
(cd "$work" && play relative -cards=set)
[ "$rc" -eq 0 ] && python3 "$pictures" check "$shot" 12 >/dev/null ||
    fail "the set given by a relative path is not shown: $(cat "$work/err.txt")"

# --- one picture cut off, nine left: refused, named; the game's own cards ----------
case=broken-set
mkdir -p "$work/broken"
python3 "$pictures" write "$work/broken" 10
truncate -s 60 "$work/broken/05.png"
# The same set among the player's own: named once at start, not offered.
mkdir -p "$XDG_DATA_HOME/Vornique/cards"
cp -r "$work/broken" "$XDG_DATA_HOME/Vornique/cards/holiday"
play broken -cards="$work/broken"
[ "$rc" -eq 0 ] || fail "exit code $rc: $(cat "$work/err.txt")"
grep -q "The card set in \"$work/broken\" cannot be used: 05.png: it is not a PNG or JPEG picture" \
    "$work/err.txt" || fail "no message naming the file: $(cat "$work/err.txt")"
grep -q "The game plays with the player's own choice of cards." "$work/err.txt" ||
    fail "no word of what is played: $(cat "$work/err.txt")"
grep -q "These card sets cannot be used and are not offered:" "$work/err.txt" &&
    grep -q "cards/holiday/: 05.png: it is not a PNG or JPEG picture" "$work/err.txt" ||
    fail "the player's own broken set is not named: $(cat "$work/err.txt")"
[ "$(grep -c "cards/holiday/: 05.png" "$work/err.txt")" -eq 1 ] || fail "named more than once"
"$compare" "$shot" "$demos/menu_and_back.png" >/dev/null 2>"$work/cmp.txt" ||
    fail "not the game's own cards: $(cat "$work/cmp.txt")"

# --- the same message in the player's language, from LANG alone ---------------------
# (no generated system locale is needed: the game reads its own catalogues)
case=german
LC_ALL= LANG=de_DE.UTF-8 play german -cards="$work/broken"
[ "$rc" -eq 0 ] || fail "exit code $rc: $(cat "$work/err.txt")"
grep -q "Das Kartenset im Ordner „$work/broken“ kann nicht verwendet werden: 05.png: " \
    "$work/err.txt" || fail "not in German: $(cat "$work/err.txt")"

[ "$failures" -eq 0 ] && echo "cards: all cases passed"
exit $((failures > 0))
