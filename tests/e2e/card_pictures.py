#!/usr/bin/env python3
"""Pictures for the card set test, and what a screenshot shows at the cards' places.

Usage: card_pictures.py write FOLDER COUNT      COUNT one-colour PNG pictures, 01.png ...
       card_pictures.py check SCREENSHOT COUNT   the Hard count-down shows those pictures:
                                                 some Hard layout has each card's centre in
                                                 one of their colours, each colour twice
"""
import struct
import sys
import zlib

# The Hard layouts' card centres (the game's own table).
HARD = [
    [(137, 300), (287, 270), (437, 240), (587, 240), (737, 270), (887, 300), (137, 450),
     (287, 450), (437, 390), (437, 530), (587, 530), (587, 390), (737, 450), (887, 450),
     (137, 600), (287, 630), (437, 660), (587, 660), (737, 630), (887, 600)],
    [(137, 300), (137, 450), (137, 600), (287, 240), (287, 390), (287, 520), (287, 660),
     (437, 300), (437, 450), (437, 600), (587, 300), (587, 450), (587, 600), (737, 270),
     (737, 390), (737, 520), (737, 660), (887, 240), (887, 450), (887, 600)],
    [(137, 300), (137, 450), (137, 600), (287, 240), (287, 450), (287, 660), (437, 240),
     (437, 390), (437, 520), (437, 660), (587, 240), (587, 390), (587, 520), (587, 660),
     (737, 240), (737, 450), (737, 660), (887, 300), (887, 450), (887, 600)],
    [(282, 240), (397, 240), (512, 240), (627, 240), (742, 240), (167, 355), (397, 355),
     (627, 355), (857, 355), (282, 470), (512, 470), (742, 470), (167, 585), (397, 585),
     (627, 585), (857, 585), (282, 700), (437, 700), (587, 700), (742, 700)],
]


def colour(i):
    """Picture i's colour (from 1): far apart from each other and from the game's own art."""
    return ((i * 83) % 200 + 40, (i * 151) % 200 + 40, (i * 37) % 200 + 40)


def write_png(path, width, height, rgb):
    raw = b"".join(b"\x00" + bytes(rgb) * width for _ in range(height))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(
            ">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
                + chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))


def read_png(path):
    """Width, height and rows of (r, g, b) of an 8-bit RGB or RGBA PNG."""
    data = open(path, "rb").read()
    pos, idat = 8, b""
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width, height, depth, ctype = struct.unpack(">IIBB", body[:10])
            assert depth == 8 and ctype in (2, 6), "unexpected PNG format"
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    bpp = 3 if ctype == 2 else 4
    raw = zlib.decompress(idat)
    stride = width * bpp
    rows, prev = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for x in range(stride):
            a = line[x - bpp] if x >= bpp else 0
            b = prev[x]
            c = prev[x - bpp] if x >= bpp else 0
            if kind == 1:
                line[x] = (line[x] + a) & 255
            elif kind == 2:
                line[x] = (line[x] + b) & 255
            elif kind == 3:
                line[x] = (line[x] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[x] = (line[x] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append([tuple(line[i * bpp:i * bpp + 3]) for i in range(width)])
        prev = line
    return width, height, rows


def main():
    what, path, count = sys.argv[1], sys.argv[2], int(sys.argv[3])
    if what == "write":
        for i in range(1, count + 1):
            # Of several shapes: each is letter-boxed into its card.
            write_png("%s/%02d.png" % (path, i), 40 + 30 * (i % 3), 40 + 20 * (i % 2), colour(i))
        return 0
    _, _, rows = read_png(path)
    wanted = [colour(i) for i in range(1, count + 1)]

    def which(pixel):
        for i, c in enumerate(wanted):
            if all(abs(p - q) <= 3 for p, q in zip(pixel, c)):
                return i
        return None

    best = None
    for n, layout in enumerate(HARD):
        found = [which(rows[y][x]) for x, y in layout]
        if None not in found and all(found.count(f) == 2 for f in found):
            print("layout %d shows %d of the %d pictures, each twice" % (n, len(set(found)), count))
            return 0
        matched = sum(f is not None for f in found)
        if best is None or matched > best[0]:
            best = (matched, n, [rows[y][x] for x, y in layout])
    print("no Hard layout shows the pictures; best layout %d with %d cards: %s" % (best[1], best[0], best[2]))
    return 1


sys.exit(main())
