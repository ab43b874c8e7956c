#!/usr/bin/env bash
# The archive tool on an archive with odd entry names: a "/" inside a name
# makes a folder, a name ending in "/" or leading out of the target folder is
# refused with a message and an exit code of 1, and nothing crashes.
# Usage: pak_tool.sh PAK_TOOL ODD_ARCHIVE
set -u
tool=$1
archive=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$tool" list "$archive" >"$work/list.txt" || { echo "list failed"; exit 1; }
grep -q "dir/inner.txt" "$work/list.txt" || { echo "list does not show dir/inner.txt"; exit 1; }

"$tool" extract "$archive" "$work/out" 2>"$work/err.txt"
rc=$?
cat "$work/err.txt"
[ $rc -eq 1 ] || { echo "expected exit code 1 for the refused names, got $rc"; exit 1; }
[ "$(cat "$work/out/dir/inner.txt")" = "inner" ] || { echo "dir/inner.txt not extracted"; exit 1; }
[ "$(cat "$work/out/plain.txt")" = "plain" ] || { echo "plain.txt not extracted"; exit 1; }
[ ! -e "$work/up.txt" ] || { echo "an entry escaped the target folder"; exit 1; }
grep -q "trailing/" "$work/err.txt" || { echo "the refused name is not named"; exit 1; }
echo "pak tool: odd names handled"
