#!/usr/bin/env bash
# Fails when a file under src/ includes a header of a folder above its own
# layer, or of another folder on the same layer, or when the game includes a
# framework header. The layers are read from README.md ("Source layout"),
# where they are written once.
# Usage: scripts/check-layers.sh [SOURCE_DIR]   (default: src next to this script)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
src=${1:-$root/src}

declare -A rank
while IFS='|' read -r _ layer folders _; do
    layer=${layer// /}
    [[ "$layer" =~ ^[0-9]+$ ]] || continue
    for folder in $(grep -o '`[^`]*`' <<<"$folders" | tr -d '`'); do
        rank[$folder]=$layer
    done
done < <(sed -n '/<!-- layers -->/,/<!-- \/layers -->/p' "$root/README.md")
[ ${#rank[@]} -gt 0 ] || { echo "check-layers: no layer table in README.md"; exit 2; }

bad=0
while IFS= read -r file; do
    rel=${file#"$src"/}
    from=$(dirname "$rel")
    [ -n "${rank[$from]+x}" ] || { echo "$rel: folder $from has no layer in README.md"; bad=1; continue; }
    while IFS= read -r line; do
        target=$(dirname "$(sed 's/.*#include "\([^"]*\)".*/\1/' <<<"$line")")
        [ "$target" = "$from" ] && continue
        if [ -z "${rank[$target]+x}" ]; then
            echo "$rel: includes from $target, which has no layer"; bad=1
        elif [ "${rank[$target]}" -gt "${rank[$from]}" ]; then
            echo "$rel: $from (layer ${rank[$from]}) includes $target (layer ${rank[$target]}) above it"; bad=1
        elif [ "${rank[$target]}" -eq "${rank[$from]}" ]; then
            echo "$rel: $from includes $target, another folder of its own layer"; bad=1
        elif [ "$from" = game ] && [[ "$target" == framework/* ]]; then
            echo "$rel: the game includes a framework header ($target)"; bad=1
        fi
    done < <(grep -E '^#include "' "$file" || true)
done < <(find "$src" -name '*.cpp' -o -name '*.h' | sort)

[ $bad -eq 0 ] && echo "check-layers: every include points down the layers"
exit $bad
