#!/usr/bin/env bash
# Gathers every text the player sees into po/vornique.pot (the game's
# sources, the desktop entry and the AppStream data) and merges it into each
# catalogue named in po/LINGUAS, so translators see what is new or changed.
# Usage: scripts/update-po.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
pot=po/vornique.pot
find src -name '*.cpp' -o -name '*.h' | LC_ALL=C sort >po/.sources
xgettext --from-code=UTF-8 --language=C++ --c++ --no-location --sort-output \
    --keyword= --keyword=Tr --keyword=TrLater --keyword=Filled:1 --keyword=WithName:1 \
    --keyword=GetString:2 --add-comments=Translators: \
    --package-name=Vornique --msgid-bugs-address=developers@vornique.io \
    --files-from=po/.sources -o "$pot"
xgettext --from-code=UTF-8 --no-location --sort-output --join-existing -o "$pot" \
    dist/io.vornique.Vornique.desktop dist/io.vornique.Vornique.metainfo.xml
rm -f po/.sources
sed -i '/^"POT-Creation-Date:/d' "$pot"  # keeps the file unchanged while its texts are
for lang in $(cat po/LINGUAS); do
    if [ -f "po/$lang.po" ]; then
        msgmerge --quiet --update --backup=none --no-location --sort-output "po/$lang.po" "$pot"
    else
        msginit --no-translator --locale="$lang" --input="$pot" --output-file="po/$lang.po"
    fi
done
echo "update-po: $(grep -c '^msgid ' "$pot") texts"
