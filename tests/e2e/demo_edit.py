#!/usr/bin/env python3
"""Makes variants of a kept demo for the end-to-end tests.

Usage: demo_edit.py IN OUT open-end        the demo without its closing records
                                            (End, Terminate): nothing ends the game
       demo_edit.py IN OUT screenshots N    N presses of F12 before the game ends
       demo_edit.py IN OUT grow BYTES       pointer moves before the game ends until
                                            the file holds at least BYTES
"""
import struct
import sys

MESSAGE, TERMINATE, END = 4, 9, 10
MOUSE_MOVE, KEY_DOWN, KEY_UP, F12 = 5, 16, 17, 123


def split(data):
    """The header's bytes and the records (type, bytes with the type)."""
    pos = 8 + 2 + 4
    for _ in range(2):
        pos += 2 + struct.unpack_from("<H", data, pos)[0]
    header, records = data[:pos], []
    while pos < len(data):
        length = struct.unpack_from("<I", data, pos)[0]
        body = data[pos + 4:pos + 4 + length]
        records.append((body[0], body))
        pos += 4 + length
    return header, records


def update_of(body):
    return struct.unpack_from("<I", body, 1)[0]


def message(update, msg, wparam, lparam):
    return struct.pack("<BIHqq", MESSAGE, update, msg, wparam, lparam)


def main():
    src, dst, what = sys.argv[1], sys.argv[2], sys.argv[3]
    header, records = split(open(src, "rb").read())
    closing = [r for r in records if r[0] in (TERMINATE, END)]
    body = [r for r in records if r[0] not in (TERMINATE, END)]
    last = max(update_of(b) for t, b in body if t >= MESSAGE)
    extra = []
    if what == "screenshots":
        for i in range(int(sys.argv[4])):
            extra += [message(last + 1 + i, KEY_DOWN, F12, 0), message(last + 1 + i, KEY_UP, F12, 0)]
        last += int(sys.argv[4]) + 1
    elif what == "grow":
        move = message(last, MOUSE_MOVE, 0, (5 << 16) | 5)
        size = len(header) + sum(4 + len(b) for _, b in records)
        count = max(0, (int(sys.argv[4]) - size) // (4 + len(move)) + 1)
        extra = [move] * count
    elif what != "open-end":
        sys.exit("unknown edit " + what)
    out = [b for _, b in body] + extra
    if what != "open-end":
        # The closing records, moved after what was added.
        out += [bytes([t]) + struct.pack("<I", max(update_of(b), last)) + b[5:] for t, b in closing]
    with open(dst, "wb") as f:
        f.write(header)
        for b in out:
            f.write(struct.pack("<I", len(b)) + b)


main()
