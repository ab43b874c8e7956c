#!/usr/bin/env python3
"""Checks the catalogues against the game: the template holds every text the
sources mark (so no new text goes untranslated unseen), and every catalogue
of po/LINGUAS translates every text of the template with the same
placeholders and line breaks.
Usage: check_catalogues.py SOURCE_DIR"""
import os
import re
import subprocess
import sys
import tempfile


def entries(path):
    """The (msgid, msgstr) pairs of a catalogue, header left out."""
    result = {}
    current = None
    msgid = msgstr = None
    fuzzy = False
    for line in open(path, encoding="utf-8").read().split("\n") + [""]:
        if line.startswith("#,") and "fuzzy" in line:
            fuzzy = True
        if line.startswith("msgid "):
            current, msgid, msgstr = "id", [line[6:]], []
        elif line.startswith("msgstr "):
            current = "str"
            msgstr = [line[7:]]
        elif line.startswith('"') and current:
            (msgid if current == "id" else msgstr).append(line)
        elif not line.strip() and msgid is not None:
            key = "".join(part[1:-1] for part in msgid)
            value = "".join(part[1:-1] for part in msgstr or ['""'])
            if key:
                result[key] = (value, fuzzy)
            current, msgid, msgstr, fuzzy = None, None, None, False
    return result


def main():
    root = sys.argv[1]
    po = os.path.join(root, "po")
    failures = []
    template = entries(os.path.join(po, "vornique.pot"))
    with tempfile.TemporaryDirectory() as scratch:
        fresh = os.path.join(scratch, "fresh.pot")
        sources = sorted(
            os.path.relpath(os.path.join(d, f), root)
            for d, _, files in os.walk(os.path.join(root, "src"))
            for f in files if f.endswith((".cpp", ".h")))
        subprocess.run(
            ["xgettext", "--from-code=UTF-8", "--language=C++", "--no-location", "--keyword=",
             "--keyword=Tr", "--keyword=TrLater", "--keyword=Filled:1", "--keyword=WithName:1",
             "--keyword=GetString:2", "-o", fresh] + sources, cwd=root, check=True)
        for text in entries(fresh):
            if text not in template:
                failures.append(f'"{text}" is shown but not in po/vornique.pot '
                                "(run scripts/update-po.sh and translate it)")
    braces = re.compile(r"\{[A-Za-z]+\}")
    for lang in open(os.path.join(po, "LINGUAS")).read().split():
        catalogue = entries(os.path.join(po, lang + ".po"))
        for text in template:
            value, fuzzy = catalogue.get(text, ("", False))
            where = f'{lang}: "{text}"'
            if not value or fuzzy:
                failures.append(where + " is not translated")
            elif sorted(braces.findall(value)) != sorted(braces.findall(text)):
                failures.append(where + f' has other placeholders: "{value}"')
            elif value.count("\\n") != text.count("\\n"):
                failures.append(where + f' has other line breaks: "{value}"')
    for failure in failures:
        print(failure)
    print(f"{len(template)} texts, {len(failures)} problems")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
