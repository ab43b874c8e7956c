# Sourced by the end-to-end scripts: a scratch folder ($work, removed at
# exit) holding the per-user folders and the game's folder ($work/game, with
# data.pak linked into it when a path is given), and SDL's real drivers.
# Usage: . setup.sh [DATA_PAK]
export -n SDL_VIDEODRIVER SDL_AUDIODRIVER
# The game's own words are checked in English, whatever the machine speaks.
unset LANGUAGE LC_MESSAGES LANG
export LC_ALL=C.UTF-8
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/run
mkdir -m 0700 "$work/run"
mkdir -p "$work/game"
if [ -n "${1:-}" ]; then
    ln -s "$1" "$work/game/data.pak"
fi

# Waits until the game is running (its one-copy socket exists, at most 5 s)
# and then 2 s for its data to load.
wait_until_running() {
    for _ in $(seq 1 100); do
        [ -S "$work/run/NotifyVornique.sock" ] && break
        sleep 0.05
    done
    sleep 2
}

# Starts "$@" (the game with its arguments, after any prefix such as a
# namespace), waits until it runs, sends signal $1 and waits at most 2 s for
# its end. Sets $rc (124 when it did not end) and leaves its standard error
# in $work/stderr.txt.
signal_and_wait() {
    local sig=$1
    shift
    "$@" 2>"$work/stderr.txt" &
    local pid=$!
    wait_until_running
    kill -"$sig" "$pid"
    end_within "$pid" 2000
    echo "[$case] exit code $rc after SIG$sig"
}

# The bytes of a file as hex digits.
hex() { od -An -tx1 -v "$1" 2>/dev/null | tr -d ' \n'; }

# An 18-byte profile: current flag, name, difficulty.
profile() {
    local current=$1 name=$2 difficulty=$3
    printf "\\x$current"
    printf '%s' "$name"
    head -c $((15 - ${#name})) /dev/zero
    printf "\\x00\\x$difficulty"
}

# Checks report through fail, naming the current $case; the script's end
# looks at $failures.
failures=0
fail() {
    echo "FAIL [$case]: $*"
    failures=$((failures + 1))
}

# Waits at most $2 ms for process $1 (a child of this shell) to end. Sets $rc
# to its exit code, or to 124 after killing it when it did not end in time.
end_within() {
    local pid=$1 limit=$2
    local start=$(date +%s%N)
    rc=124
    while [ $(( ($(date +%s%N) - start) / 1000000 )) -lt "$limit" ]; do
        if ! kill -0 "$pid" 2>/dev/null; then
            wait "$pid"
            rc=$?
            return
        fi
        sleep 0.05
    done
    kill -9 "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
}
