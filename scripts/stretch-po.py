#!/usr/bin/env python3
"""Makes the stretch catalogue from the texts' template: every text a third
longer, its letters accented (characters of Latin-1 and Latin Extended-A), so
screens in it show where a longer language would not fit and which glyphs a
font lacks. Placeholders, escapes and line breaks stay as they are.
Usage: stretch-po.py TEMPLATE.pot OUT.po"""
import re
import sys

ACCENTED = dict(zip("aceinorsuyzACEINORSUYZ", "àçëïñöŕšüÿžÀÇËÏÑÖŔŠÜŸŽ"))
# A quoted line of a catalogue: placeholders, escapes and other characters.
TOKEN = re.compile(r"\{[A-Za-z]+\}|\\.|.")


def stretch(quoted):
    out = []
    letters = 0
    for token in TOKEN.findall(quoted):
        if len(token) == 1 and token.isalpha():
            letters += 1
            token = ACCENTED.get(token, token)
            if letters % 3 == 0:
                token *= 2
        out.append(token)
    return "".join(out)


def main():
    source, target = sys.argv[1], sys.argv[2]
    lines = open(source, encoding="utf-8").read().split("\n")
    out = []
    msgid = []
    in_id = False
    header = True
    for line in lines:
        if line.startswith("msgid "):
            msgid = [line[6:]]
            in_id = True
            out.append(line)
        elif line.startswith("msgstr "):
            in_id = False
            if header:
                header = False
                out.append('msgstr ""')
                for field in ("Project-Id-Version: Vornique", "PO-Revision-Date: 2026-12-11 00:00+0000",
                              "Last-Translator: stretch-po.py", "Language-Team: none",
                              "Language: xx", "MIME-Version: 1.0",
                              "Content-Type: text/plain; charset=UTF-8",
                              "Content-Transfer-Encoding: 8bit"):
                    out.append('"' + field + '\\n"')
            else:
                out.append("msgstr " + '"' + stretch(msgid[0][1:-1]) + '"')
                out.extend('"' + stretch(part[1:-1]) + '"' for part in msgid[1:])
        elif line.startswith('"'):
            if in_id:
                msgid.append(line)
                out.append(line)
            # the template's own msgstr lines (its header) are replaced above
        elif line.startswith("#, fuzzy"):
            continue
        else:
            out.append(line)
    open(target, "w", encoding="utf-8").write("\n".join(out))


if __name__ == "__main__":
    main()
